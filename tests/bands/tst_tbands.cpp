// The band window on the intensity spectra of the test signal: the tone's band in the table
// and the charts with its direction, the switch to octaves, the finite-difference correction,
// the CSV file in both forms with the overwrite question, a range that holds no band, and
// band names that never overlap however many bands there are; the English interface shows no
// Russian and starts on the plain CSV form.
#include "TBands.h"
#include "ui_TBands.h"

#include "BandCharts.h"
#include "ChartImageChecks.h"
#include "ModalDriver.h"
#include "Intensity.h"
#include "Recording.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "OctaveBandText.h"
#include "RecentFolders.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "TestSignal.h"
#include "WindowTestSupport.h"
#include "WrittenNote.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QStatusBar>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

namespace {

constexpr int kHanningItem = 2;

// The processing window's chain on the test signal: a tone of `freq` Hz from 45 degrees off Z
// and 45 degrees off X, 2000 samples a second for a second, no noise, Hanning window.
BandWindowInput ToneInput(int freq, double lo, double hi)
{
    Settings s = DefaultSettings();
    s.type_sig = kTestSignalSine;
    s.freq_sig = freq;
    s.ampl_noise_sig = 0;
    s.freq_ocifr = 2000;
    s.dlit = 1;
    s.impuls = 1;
    const int n = 2000;
    std::array<std::vector<double>, 6> channels;
    double* ch[6];
    for (int c = 0; c < 6; ++c) {
        channels[c].assign(n, 0.0);
        ch[c] = channels[c].data();
    }
    std::vector<double> t(n);
    SynthesizeTestSignal(TestSignalParams::FromSettings(s), n, ch, t.data());

    BandWindowInput in;
    const int bins = n / 2;
    for (int k = 0; k < bins; ++k)
        in.spectra.frequency.push_back(k / t[n - 1]);
    for (auto& v : in.spectra.values)
        v.assign(bins, 0.0);
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = in.spectra.values[3 * g + a].data();
    const AnalysisStatus status =
        ComputeIntensitySpectra(IntensityConstantsFrom(s, true), kHanningItem, n, ch, t.data(), groups[0],
                                groups[1], groups[2], groups[3]);
    if (status != kAnalysisOk)
        qFatal("intensity spectra failed: %d", status);
    in.periodic = true;
    in.windowItem = kHanningItem;
    in.sampleCount = n;
    in.density = s.plotnost;
    in.soundSpeed = s.skorost;
    in.spacings = s.lmic;
    in.range = {true, lo, hi};
    return in;
}

QStringList Column(QTableWidget* table, int column)
{
    QStringList cells;
    for (int r = 0; r < table->rowCount(); ++r)
        cells << (table->item(r, column) ? table->item(r, column)->text() : QString());
    return cells;
}

// The row of the loudest band by L_I.
int LoudestBand(const BandAnalysis& a)
{
    int best = -1;
    for (int b = 0; b < static_cast<int>(a.bands.size()); ++b)
        if (a.bands[b].figures.levels.intensity &&
            (best < 0 || *a.bands[b].figures.levels.intensity > *a.bands[best].figures.levels.intensity))
            best = b;
    return best;
}

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}   // namespace

class BandWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
    }

    void cleanup() { InstallLanguage(UiLanguage::Russian); }

    void tableAndChartsShowTheTonesBand()
    {
        TBands w(nullptr, ToneInput(50, 20.0, 800.0));
        w.resize(1280, 860);
        w.show();
        Ui::TBands* ui = w.form();
        QVERIFY(w.hasBands());
        QCOMPARE(ui->Pages->currentWidget(), ui->PageBands);
        const BandAnalysis& a = w.analysis();
        QCOMPARE(a.fraction, 3);
        QCOMPARE(int(a.bands.size()), 17);   // 20 ... 800 Hz in one-third octaves
        const int tone = LoudestBand(a);
        QCOMPARE(a.bands[tone].label, std::string("50"));

        // A row per band, the total and the A-weighted total.
        QTableWidget* table = ui->TableBands;
        QCOMPARE(table->rowCount(), 19);
        QCOMPARE(table->columnCount(), int(kBandColumnCount));
        const QStringList names = Column(table, kBandColNominal);
        QCOMPARE(names[0], QStringLiteral("20"));
        QCOMPARE(names[tone], QStringLiteral("50"));
        QCOMPARE(names[17], QStringLiteral("Сумма"));
        QCOMPARE(names[18], QStringLiteral("Сумма A"));
        QCOMPARE(table->horizontalHeaderItem(kBandColLI)->text(), QStringLiteral("LI, дБ"));
        // 45 degrees off Z and off X: Ix = Iy, the angles 45 and 45.
        QCOMPARE(table->item(tone, kBandColAngleX)->text(), QStringLiteral("45,0"));
        // asin(Iz / |I|) a little under 45: the finite difference loses more along Z than along X, Y.
        const double angleZ = QLocale().toDouble(table->item(tone, kBandColAngleZ)->text());
        QVERIFY2(std::abs(angleZ - 45.0) < 0.5, qPrintable(table->item(tone, kBandColAngleZ)->text()));
        // The stored spacing (0.5 m) makes k dr > 1 from about 108 Hz on: those bands are doubtful.
        QCOMPARE(table->item(tone, kBandColValid)->text(), QStringLiteral("достоверно"));
        QCOMPARE(table->item(7, kBandColNominal)->text(), QStringLiteral("100"));
        QCOMPARE(table->item(7, kBandColValid)->text(), QStringLiteral("сомнительно"));
        QCOMPARE(table->item(7, kBandColValid)->background().color(), QColor(255, 226, 190));
        QVERIFY(ui->LabelCaution->text().contains(QStringLiteral("Сомнительны полосы 100 … 800 Гц")));
        const QString byMicrophones = QStringLiteral("Давление по чувствительностям микрофонов.");
        QVERIFY(!ui->LabelCaution->text().contains(byMicrophones));
        BandWindowInput calibrated = ToneInput(50, 20.0, 800.0);
        calibrated.byMicrophoneSensitivities = true;
        TBands onMicrophones(nullptr, std::move(calibrated));
        QVERIFY(onMicrophones.form()->LabelCaution->text().contains(byMicrophones));
        ui->CheckTotalA->setChecked(false);
        QCOMPARE(table->rowCount(), 18);

        // A bar where the level is within the chart (the other bands hold only the spectra's
        // rounding), and the tone's direction.
        auto* valid = ui->ChartLevels->findChild<QCPBars*>(QStringLiteral("valid"));
        auto* doubtful = ui->ChartLevels->findChild<QCPBars*>(QStringLiteral("doubtful"));
        auto* pressure = ui->ChartLevels->findChild<QCPGraph*>(QStringLiteral("pressure"));
        QVERIFY(valid && doubtful && pressure);
        QCOMPARE(valid->dataCount(), 1);
        QCOMPARE(doubtful->dataCount(), 0);
        QCOMPARE(pressure->dataCount(), 17);
        QCOMPARE(valid->data()->findBegin(tone, false)->key, double(tone));
        QCOMPARE(valid->data()->findBegin(tone, false)->value + valid->baseValue(),
                 *a.bands[tone].figures.levels.intensity);
        QCOMPARE(ui->ChartLevels->legend->itemCount(), 2);   // no doubtful bar to name
        auto* azimuth = ui->ChartDirection->findChild<QCPGraph*>(QStringLiteral("azimuth"));
        auto* elevation = ui->ChartDirection->findChild<QCPGraph*>(QStringLiteral("elevation"));
        QVERIFY(azimuth && elevation);
        QCOMPARE(azimuth->dataCount(), 1);
        QVERIFY(std::abs(azimuth->data()->findBegin(tone, false)->value - 45.0) < 0.5);
        QVERIFY(std::abs(elevation->data()->findBegin(tone, false)->value - 45.0) < 0.5);

        // Above k dr = 1 the tone's bar is a doubtful one.
        TBands high(nullptr, ToneInput(160, 20.0, 800.0));
        auto* highDoubtful = high.form()->ChartLevels->findChild<QCPBars*>(QStringLiteral("doubtful"));
        QCOMPARE(highDoubtful->dataCount(), 1);
        QCOMPARE(highDoubtful->data()->constBegin()->key, double(LoudestBand(high.analysis())));
        QCOMPARE(high.form()->ChartLevels->findChild<QCPBars*>(QStringLiteral("valid"))->dataCount(), 0);
    }

    void octavesAndCorrectionAnalyseAgain()
    {
        TBands w(nullptr, ToneInput(100, 20.0, 800.0));
        Ui::TBands* ui = w.form();
        const BandAnalysis thirds = w.analysis();
        ui->RadioOctave->setChecked(true);
        QCOMPARE(w.analysis().fraction, 1);
        QCOMPARE(int(w.analysis().bands.size()), 5);
        QCOMPARE(ui->TableBands->rowCount(), 7);
        QCOMPARE(Column(ui->TableBands, kBandColNominal).mid(0, 5),
                 QStringList({"31,5", "63", "125", "250", "500"}));
        QCOMPARE(w.analysis().bands[LoudestBand(w.analysis())].label, std::string("125"));
        ui->RadioThird->setChecked(true);
        QCOMPARE(w.analysis().bands.size(), thirds.bands.size());

        // k dr = 0.92 at 100 Hz: the correction raises |I| by k dr / sin(k dr), 15 %.
        const int tone = LoudestBand(thirds);
        ui->CheckCorrection->setChecked(true);
        QVERIFY(w.analysis().bands[tone].corrected);
        const double ratio =
            w.analysis().bands[tone].figures.active.modulus / thirds.bands[tone].figures.active.modulus;
        QVERIFY2(std::abs(ratio - 1.15) < 0.02, qPrintable(QString::number(ratio)));
    }

    void csvInBothForms()
    {
        TBands w(nullptr, ToneInput(100, 80.0, 125.0));
        Ui::TBands* ui = w.form();
        RecordingPresenter presenter;
        const QString program = dir_.filePath(QStringLiteral("program.csv"));
        ui->ComboCsvForm->setCurrentIndex(0);
        QVERIFY(w.SaveCsv(program));
        QStringDecoder decoder("windows-1251");
        const QString text = decoder.decode(FileBytes(program));
        const QStringList lines = text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines[0], QStringLiteral("Интенсивность в третьоктавных полосах"));
        QVERIFY(lines[3].startsWith(QStringLiteral("Полоса, Гц;Fн, Гц;")));
        QVERIFY(lines[4].startsWith(QStringLiteral("80;70,79458;")));
        QVERIFY(lines[5].startsWith(QStringLiteral("100;")));
        QVERIFY(lines[7].startsWith(QStringLiteral("Сумма;")));
        QVERIFY(lines[8].startsWith(QStringLiteral("Сумма A;")));

        // Plain form, over the old file only when the user says yes.
        const QString plain = dir_.filePath(QStringLiteral("plain.csv"));
        ui->ComboCsvForm->setCurrentIndex(1);
        ui->CheckTotalA->setChecked(false);
        QVERIFY(w.SaveCsv(plain));
        const QStringList rows = QString::fromUtf8(FileBytes(plain)).split(QLatin1Char('\n'));
        QVERIFY(rows[0].startsWith(QStringLiteral("nominal,lower,centre,upper,Ix,")));
        QVERIFY(rows[2].startsWith(QStringLiteral("100,89.12509381337")));
        QVERIFY(rows[4].startsWith(QStringLiteral("total,")));
        QCOMPARE(rows.size(), 6);   // header, three bands, total and the empty end
        QVERIFY(presenter.messages.empty());

        presenter.answers = {IDNO};
        ui->ComboCsvForm->setCurrentIndex(0);
        QVERIFY(!w.SaveCsv(plain));
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].text, std::string("Файл существует.Переписать?"));
        QVERIFY(FileBytes(plain).startsWith("nominal,"));
        presenter.answers = {IDYES};
        QVERIFY(w.SaveCsv(plain));
        QVERIFY(!FileBytes(plain).startsWith("nominal,"));
    }

    void englishInterfaceShowsNoRussianAndWritesThePlainForm()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        TBands w(nullptr, ToneInput(50, 20.0, 800.0));
        w.resize(1280, 860);
        w.show();
        QVERIFY(w.hasBands());
        QStringList left = RussianTexts(&w);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        w.form()->RadioOctave->setChecked(true);   // the charts and the table drawn again
        left = RussianTexts(&w);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QCOMPARE(w.form()->ComboCsvForm->currentIndex(), 1);
        const QString plain = dir_.filePath(QStringLiteral("english.csv"));
        QVERIFY(w.SaveCsv(plain));
        QVERIFY(FileBytes(plain).startsWith("nominal,lower,centre,upper,Ix,"));

        TBands empty(nullptr, ToneInput(100, 101.0, 110.0));
        QVERIFY(!empty.hasBands());
        left = RussianTexts(&empty);
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QVERIFY(presenter.messages.empty());
    }

    void aRangeWithoutBandsSaysSo()
    {
        TBands w(nullptr, ToneInput(100, 101.0, 110.0));
        w.show();
        Ui::TBands* ui = w.form();
        QVERIFY(!w.hasBands());
        QCOMPARE(ui->Pages->currentWidget(), ui->PageEmpty);
        QVERIFY(ui->LabelEmpty->text().startsWith(
            QStringLiteral("В диапазоне 101 … 110 Гц нет ни одной третьоктавной полосы")));
        QVERIFY(!ui->ButtonCsv->isEnabled());
        RecordingPresenter presenter;
        QVERIFY(!w.SaveCsv(dir_.filePath(QStringLiteral("none.csv"))));
        QVERIFY(!QFile::exists(dir_.filePath(QStringLiteral("none.csv"))));
        // A range that holds the 100 Hz one-third octave still holds no octave.
        TBands narrow(nullptr, ToneInput(100, 95.0, 105.0));
        QVERIFY(narrow.hasBands());
        narrow.form()->RadioOctave->setChecked(true);
        QVERIFY(!narrow.hasBands());
        QVERIFY(narrow.form()->LabelEmpty->text().contains(QStringLiteral("октавной полосы")));
        narrow.form()->RadioThird->setChecked(true);
        QCOMPARE(narrow.form()->Pages->currentWidget(), narrow.form()->PageBands);
    }

    void bothChartsSaveTheirPictures()
    {
        TBands w(nullptr, ToneInput(50, 20.0, 800.0));
        w.resize(1280, 860);
        w.show();
        QTemporaryDir dir;
        for (QCustomPlot* plot : {w.form()->ChartLevels, w.form()->ChartDirection}) {
            auto* menu = plot->findChild<ChartImageMenu*>();
            QVERIFY(menu);
            CheckChartImages(*menu, dir, QSize(700, 400));
        }
    }

    // Ctrl+S is the CSV button; its dialog starts in the folder of the last table, and the
    // window says where the file went.
    void ctrlSSavesTheTableFromTheLastFolder()
    {
        QTemporaryDir store;
        UseFreshStore(store);
        QTemporaryDir tables;
        RememberFolder(FolderKind::Csv, tables.filePath("earlier.csv"));
        RecordingPresenter presenter;
        TBands w(nullptr, ToneInput(50, 20.0, 800.0));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QString startedIn;
        OnNextModal([&](QWidget* modal) {
            auto* fd = qobject_cast<QFileDialog*>(modal);
            QVERIFY(fd);
            startedIn = fd->directory().absolutePath();
            fd->findChild<QLineEdit*>("fileNameEdit")->setText("bands");
            static_cast<QDialog*>(fd)->accept();
        });
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);   // the button's click follows shortly
        const QString written = tables.filePath("bands.csv");
        QTRY_VERIFY(QFileInfo::exists(written));
        QCOMPARE(startedIn, tables.path());
        QCOMPARE(WrittenNoteBar(&w)->currentMessage(), "Записано: " + QDir::toNativeSeparators(written));
        QVERIFY(w.form()->ButtonCsv->toolTip().contains(
            QKeySequence(QKeySequence::Save).toString(QKeySequence::NativeText)));
        SettingsStore::SetFileName(QString());
    }

    void bandNamesNeverOverlap_data()
    {
        QTest::addColumn<int>("width");
        QTest::addRow("wide") << 1600;
        QTest::addRow("narrow") << 500;
    }

    void bandNamesNeverOverlap()
    {
        QFETCH(int, width);
        // 2 ... 800 Hz: 27 one-third octaves.
        TBands w(nullptr, ToneInput(100, 2.0, 800.0));
        w.show();
        QCustomPlot* plot = w.form()->ChartLevels;
        plot->setFixedWidth(width);
        QCoreApplication::processEvents();
        plot->replot();
        const int n = static_cast<int>(w.analysis().bands.size());
        QCOMPARE(n, 27);
        auto ticker = plot->xAxis->ticker().dynamicCast<QCPAxisTickerText>();
        QVERIFY(ticker);
        QCOMPARE(ticker->ticks().size(), n);
        const bool upright = plot->xAxis->tickLabelRotation() == 0.0;
        const QFontMetrics metrics(plot->xAxis->tickLabelFont());
        double last = -1e9;
        for (auto it = ticker->ticks().constBegin(); it != ticker->ticks().constEnd(); ++it) {
            if (it.value().isEmpty())
                continue;
            const double centre = plot->xAxis->coordToPixel(it.key());
            const double half = (upright ? metrics.horizontalAdvance(it.value()) : metrics.height()) / 2.0;
            QVERIFY2(centre - half >= last, qPrintable(it.value()));
            last = centre + half;
        }
        // Whatever is left out, the octaves of 1 kHz keep their names.
        QCOMPARE(ticker->ticks().value(18), QStringLiteral("125"));
    }

    void bandLabelStepAndDirection()
    {
        struct Case {
            int bands;
            double pixels;
            double label;
            int step;
        };
        for (const Case& c : {Case{30, 900, 20, 1}, Case{30, 900, 31, 2}, Case{30, 300, 14, 2},
                              Case{30, 300, 25, 3}, Case{1, 10, 100, 1}}) {
            QCOMPARE(BandLabelStep(c.bands, c.pixels, c.label), c.step);
        }
        struct Direction {
            std::array<double, 3> I;
            double azimuth;
            double elevation;
        };
        for (const Direction& d :
             {Direction{{1, 0, 0}, 0, 0}, Direction{{-1, 0, 0}, 180, 0}, Direction{{0, -1, 0}, -90, 0},
              Direction{{1, 1, std::sqrt(2.0)}, 45, 45}, Direction{{0, 0, -2}, 0, -90}}) {
            BandFigures f;
            f.values.active = d.I;
            f.active = ComputeVectorAngles(d.I);
            const BandDirection got = ActiveDirection(f);
            QVERIFY(got.defined);
            QVERIFY(std::abs(got.azimuth - d.azimuth) < 1e-9);
            QVERIFY(std::abs(got.elevation - d.elevation) < 1e-9);
        }
        QVERIFY(!ActiveDirection(BandFigures{}).defined);
    }
};

QTEST_MAIN(BandWindowTest)
#include "tst_tbands.moc"
