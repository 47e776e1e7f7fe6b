// The survey window on generated point recordings: a plane wave of 63 Hz through the points
// gives its power in the 63 Hz band, in the table and the chart; a point that cannot be read is
// named and no power is shown; the survey file the window writes reads back as the same points;
// a bad area or normal typed into the list is refused; closing the window while it computes
// stops the work; the English interface shows no Russian and writes the plain CSV form.
#include "TPower.h"

#include "BackgroundWork.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "PowerText.h"
#include "RecordingPresenter.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <chrono>
#include <cmath>
#include <thread>

namespace {

constexpr int kHanningItem = 2;

bool WriteWave(const QString& path, double amplitude)
{
    RawRecordingSpec wave;
    wave.frequency = 63.0;
    wave.amplitude = amplitude;
    wave.fiZ = 90.0;
    wave.fiX = 0.0;
    const uint32_t rate = 2000;
    const double duration = 1.0;
    const auto channels = PlaneWaveChannels(wave, rate, SegmentSampleCount(rate, duration));
    std::string error;
    return WriteBytes(QFile::encodeName(path).toStdString(),
                      SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels), &error);
}

bool WriteText(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

int BarCount(QCustomPlot* plot)
{
    int bars = 0;
    for (int i = 0; i < plot->plottableCount(); ++i)
        if (auto* b = qobject_cast<QCPBars*>(plot->plottable(i)))
            bars += b->dataCount();
    return bars;
}

}   // namespace

class PowerWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Settings settings_;
    QStringList points_;

    QString path(const QString& name) const { return dir_.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(dir_.isValid());
        UseRussianLocale();
        UseFreshStore(dir_);
        settings_ = DefaultSettings();
        settings_.impuls = 1;   // periodic
        PublishSettings(&settings_);
        SettingsStore().WriteInteger(QStringLiteral("Sav"), QStringLiteral("Wind"), kHanningItem);
        QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("points")));
        for (int i = 0; i < 12; ++i) {
            points_ << path(QStringLiteral("points/p%1.kvnb").arg(i + 1));
            QVERIFY(WriteWave(points_.back(), i % 2 == 0 ? 1000.0 : 800.0));
        }
    }

    void cleanupTestCase() { ReleaseSettingsAndStore(); }
    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void computesThePowerInTheTonesBand()
    {
        RecordingPresenter presenter;
        TPower w(nullptr);
        w.show();
        w.AddFiles(points_);
        QCOMPARE(w.pointTable()->rowCount(), 12);
        w.Calculate();
        QVERIFY2(w.hasPower(), qPrintable(w.statusText()));
        QVERIFY(presenter.messages.empty());
        for (int i = 0; i < 12; ++i)
            QCOMPARE(w.pointState(i), QStringLiteral("прочитана"));

        // The loudest band is the tone's, its power flows out through the +x face.
        const SurveyPowerTable& table = w.table();
        QCOMPARE(table.fraction, 3);
        QVERIFY(table.rows.back().aWeightedTotal);
        int loudest = -1;
        for (int r = 0; r + 1 < static_cast<int>(table.rows.size()); ++r)
            if (table.rows[r].power.powerLevelDb &&
                (loudest < 0 || *table.rows[r].power.powerLevelDb > *table.rows[loudest].power.powerLevelDb))
                loudest = r;
        QVERIFY(loudest >= 0);
        QCOMPARE(table.rows[loudest].nominal, 63.0);
        QVERIFY(table.rows[loudest].power.totalPower > 0.0);
        QVERIFY(table.rows[loudest].power.enoughPoints);

        QTableWidget* shown = w.powerTable();
        QCOMPARE(shown->rowCount(), static_cast<int>(table.rows.size()));
        QCOMPARE(shown->item(loudest, kPowerColBand)->text(), QStringLiteral("63"));
        const QString level = shown->item(loudest, kPowerColLW)->text();
        bool number = false;
        const double levelShown = QLocale().toDouble(level, &number);
        QVERIFY2(number, qPrintable(level));
        QVERIFY(std::abs(levelShown - *table.rows[loudest].power.powerLevelDb) <= 0.05);
        QCOMPARE(shown->item(shown->rowCount() - 1, kPowerColBand)->text(), QStringLiteral("Сумма A"));
        // Without the residual index criterion 1 is not checked.
        QCOMPARE(shown->item(loudest, kPowerColCriterion1)->text(), QStringLiteral("не проверен"));
        QVERIFY(BarCount(w.chart()) > 0);

        // The CSV file holds the table in the program's form.
        QVERIFY(w.SaveCsv(path(QStringLiteral("power.csv"))));
        QFile csv(path(QStringLiteral("power.csv")));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(bytes.contains("\r\n63;"));

        // The octave switch asks for a new computation: the old table is gone.
        w.octaveSwitch()->setChecked(true);
        QVERIFY(!w.hasPower());
        QCOMPARE(w.powerTable()->rowCount(), 0);
        w.Calculate();
        QVERIFY(w.hasPower());
        QCOMPARE(w.table().fraction, 1);
        w.AddFiles({});   // nothing added, nothing lost
        QVERIFY(w.hasPower());
        presenter.defaultAnswer = IDYES;   // leave the unsaved points
    }

    void aPointThatCannotBeReadStopsThePower_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");   // empty: no file at all
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QStringLiteral("gone.kvnb") << QByteArray()
                                 << QStringLiteral("файл не найден");
        QTest::newRow("damaged") << QStringLiteral("junk.kvnb") << QByteArray("not a segment at all")
                                 << QStringLiteral("junk.kvnb");
        QTest::newRow("unknown kind")
            << QStringLiteral("notes.txt") << QByteArray("hello") << QStringLiteral("notes.txt");
    }

    void aPointThatCannotBeReadStopsThePower()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString bad = path(file);
        if (!bytes.isEmpty())
            QVERIFY(WriteText(bad, bytes));
        RecordingPresenter presenter;
        presenter.defaultAnswer = IDYES;
        TPower w(nullptr);
        w.AddFiles({points_[0], bad, points_[1]});
        w.Calculate();
        QVERIFY(!w.hasPower());
        QCOMPARE(w.powerTable()->rowCount(), 0);
        QCOMPARE(BarCount(w.chart()), 0);
        QCOMPARE(w.pointState(0), QStringLiteral("прочитана"));
        QVERIFY2(w.pointState(1).startsWith(QStringLiteral("ошибка")), qPrintable(w.pointState(1)));
        QVERIFY2(w.pointState(1).contains(reason), qPrintable(w.pointState(1)));
        QCOMPARE(w.pointState(2), QStringLiteral("прочитана"));
        // One message, naming the point by its number, label and file.
        QCOMPARE(static_cast<int>(presenter.messages.size()), 1);
        const QString text = QString::fromStdString(presenter.messages[0].text);
        QVERIFY2(text.contains(QStringLiteral("2 (P2, %1)").arg(file)), qPrintable(text));
        QVERIFY(text.contains(QStringLiteral("мощность не рассчитана")));
        QFile::remove(bad);
    }

    void theSurveyFileReadsBackAsTheSamePoints()
    {
        RecordingPresenter presenter;
        TPower w(nullptr);
        // A point outside the survey's folder keeps its full path.
        const QString outside = path(QStringLiteral("elsewhere.kvnb"));
        w.AddFiles({points_[0], points_[1], outside});
        QVERIFY(w.isModified());
        w.pointTable()->item(0, TPower::kColArea)->setText(QStringLiteral("0,25"));
        w.pointTable()->item(1, TPower::kColNormal)->setText(QStringLiteral("0,6 0 0,8"));
        w.pointTable()->item(2, TPower::kColLabel)->setText(QStringLiteral("#3, \"угол\""));
        w.pointTable()->item(2, TPower::kColNormal)->setText(QStringLiteral("top"));
        QVERIFY(presenter.messages.empty());
        QCOMPARE(w.points()[0].area, 0.25);

        const QString survey = path(QStringLiteral("points/survey.csv"));
        QVERIFY(w.SaveSurvey(survey));
        QVERIFY(!w.isModified());
        QFile saved(survey);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().contains("\np1.kvnb,0.25,1,0,0,P1\n"));

        TPower again(nullptr);
        QVERIFY(again.OpenSurvey(survey));
        QCOMPARE(again.points().size(), w.points().size());
        for (size_t i = 0; i < w.points().size(); ++i) {
            const SurveyPoint &a = w.points()[i], &b = again.points()[i];
            QCOMPARE(b.file, a.file);
            QCOMPARE(b.area, a.area);
            QCOMPARE(b.label, a.label);
            for (int k = 0; k < 3; ++k)
                QVERIFY(std::abs(b.normal[k] - a.normal[k]) < 1e-12);
        }
        QCOMPARE(again.points()[2].normal, (std::array<double, 3>{0, 0, 1}));
        QVERIFY(presenter.messages.empty());

        // The JSON form opens too, and names the source for the report.
        const QString json = path(QStringLiteral("points/survey.json"));
        QFile jsonFile(json);
        QVERIFY(jsonFile.open(QIODevice::WriteOnly));
        jsonFile.write(R"({"source": "Насос", "points": [{"file": "p1.kvnb", "area": 0.5, "face": "+y"}]})");
        jsonFile.close();
        TPower fromJson(nullptr);
        QVERIFY(fromJson.OpenSurvey(json));
        QCOMPARE(fromJson.points().size(), size_t(1));
        QCOMPARE(fromJson.points()[0].normal, (std::array<double, 3>{0, 1, 0}));
        QCOMPARE(fromJson.sourceText(), QStringLiteral("Насос"));
        QVERIFY(presenter.messages.empty());
    }

    void aBadValueTypedIntoTheListIsRefused_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::newRow("area text") << int(TPower::kColArea) << QStringLiteral("abc");
        QTest::newRow("area negative") << int(TPower::kColArea) << QStringLiteral("-1");
        QTest::newRow("area zero") << int(TPower::kColArea) << QStringLiteral("0");
        QTest::newRow("normal two numbers") << int(TPower::kColNormal) << QStringLiteral("1 2");
        QTest::newRow("normal zero") << int(TPower::kColNormal) << QStringLiteral("0 0 0");
        QTest::newRow("normal unknown face") << int(TPower::kColNormal) << QStringLiteral("up");
    }

    void aBadValueTypedIntoTheListIsRefused()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        RecordingPresenter presenter;
        presenter.defaultAnswer = IDYES;
        TPower w(nullptr);
        w.AddFiles({points_[0], points_[1]});
        const SurveyPoint before = w.points()[1];
        const QString shown = w.pointTable()->item(1, column)->text();
        w.pointTable()->item(1, column)->setText(typed);
        QCOMPARE(static_cast<int>(presenter.messages.size()), 1);
        const QString text = QString::fromStdString(presenter.messages[0].text);
        const QString header = w.pointTable()->horizontalHeaderItem(column)->text();
        QVERIFY2(text.contains(QStringLiteral("Точка 2, столбец «%1»").arg(header)), qPrintable(text));
        QVERIFY2(text.contains(typed), qPrintable(text));
        QCOMPARE(w.points()[1].area, before.area);
        QCOMPARE(w.points()[1].normal, before.normal);
        QCOMPARE(w.pointTable()->item(1, column)->text(), shown);
    }

    void englishInterfaceShowsNoRussianAndWritesPlainCsv()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        presenter.defaultAnswer = IDYES;   // leave the unsaved points
        TPower w(nullptr);
        w.show();
        QStringList left = RussianTexts(&w);   // the hint and the first status, before any point
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        w.AddFiles(points_);
        w.residualField()->setText(QStringLiteral("20"));
        w.Calculate();
        QVERIFY2(w.hasPower(), qPrintable(w.statusText()));
        left = RussianTexts(&w);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));

        // The plain form: UTF-8, "," between fields, dot decimals, one line per band and the total.
        const QString csvPath = path(QStringLiteral("power-en.csv"));
        QVERIFY(w.SaveCsv(csvPath));
        QFile csv(csvPath);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QByteArray bytes = csv.readAll();
        QVERIFY(!bytes.contains('\r'));
        const QStringList lines = QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        const SurveyPowerTable& table = w.table();
        QCOMPARE(lines.size(), static_cast<int>(table.rows.size()) + 1);
        const QStringList header = lines[0].split(QLatin1Char(','));
        QCOMPARE(header.value(1), QStringLiteral("nominal"));
        const int lw = static_cast<int>(header.indexOf(QStringLiteral("L_W")));
        const int grade = static_cast<int>(header.indexOf(QStringLiteral("grade")));
        QVERIFY(lw > 0 && grade > 0);
        for (size_t r = 0; r < table.rows.size(); ++r) {
            const SurveyPowerRow& row = table.rows[r];
            // Notes may hold commas in quotes; the numbered fields come before them.
            const QStringList fields = lines[static_cast<int>(r) + 1].split(QLatin1Char(','));
            QCOMPARE(fields[1],
                     row.aWeightedTotal ? QStringLiteral("total_A") : QString::fromStdString(row.label));
            if (row.power.powerLevelDb) {
                bool number = false;
                const double level = fields[lw].toDouble(&number);   // C locale: a dot decimal
                QVERIFY2(number, qPrintable(fields[lw]));
                QCOMPARE(level, *row.power.powerLevelDb);
            } else {
                QVERIFY(fields[lw].isEmpty());
            }
            QCOMPARE(fields[grade], row.power.grade == SurveyGrade::None
                                        ? QStringLiteral("none")
                                        : QString::number(static_cast<int>(row.power.grade)));
        }

        // The report is written in English too.
        const QString pdf = path(QStringLiteral("power-en.pdf"));
        QVERIFY(w.SaveReport(pdf));
        QFile report(pdf);
        QVERIFY(report.open(QIODevice::ReadOnly));
        QVERIFY(report.read(4) == "%PDF");
        QVERIFY2(presenter.messages.empty(),
                 presenter.messages.empty() ? "" : presenter.messages[0].text.c_str());
    }

    void closingWhileComputingStopsTheWork()
    {
        RecordingPresenter presenter;
        presenter.defaultAnswer = IDYES;   // leave the unsaved points
        TPower w(nullptr);
        w.show();
        w.AddFiles(points_);
        // The close arrives while the work runs.
        SetBeforeWorkHook([&w] {
            QMetaObject::invokeMethod(
                &w, [&w] { w.reject(); }, Qt::QueuedConnection);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        });
        w.Calculate();
        SetBeforeWorkHook({});
        QVERIFY(!w.isVisible());
        QVERIFY(!w.hasPower());
        QVERIFY(w.statusText().contains(QStringLiteral("прерван")));
    }
};

QTEST_MAIN(PowerWindowTest)
#include "tst_tpower.moc"
