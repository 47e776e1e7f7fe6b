// The processing window's intensity commands on the test signal: the six intensity curves and
// the control states, the band taken from the visible range or the cursors and handed to the
// intensity-vector window (checked against a plane wave), and the CSV file.
#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "ChartBands.h"
#include "Language.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "RadioGroup.h"
#include "RecordingPresenter.h"
#include "Settings.h"
#include "SegmentFixture.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"
#include "TRaschet.h"
#include "TestSignal.h"

#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>

namespace {

constexpr double kDegree = M_PI / 180.0;

double Norm(const std::array<double, 3>& v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Runs "I , J" and returns what the intensity-vector window was given.
IntensityResult RunBandVectors(TFileSave& w)
{
    IntensityResult seen;
    OnNextModal([&seen](QWidget* modal) {
        if (auto* vectors = qobject_cast<TRaschet*>(modal))
            seen = vectors->result();
    });
    w.Button2Click();
    return seen;
}

}   // namespace

class IntensityCommandsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Settings settings_;

    // The test signal of 10 Hz without noise, as the plane-wave check wants it.
    void UseSine(int rate, int thetaZ, int thetaX, int impuls)
    {
        settings_.type_sig = kTestSignalSine;
        settings_.freq_sig = 10;
        settings_.ampl_noise_sig = 0;
        settings_.freq_ocifr = rate;
        settings_.dlit = 1;
        settings_.FI_Z = thetaZ;
        settings_.FI_X = thetaX;
        settings_.impuls = impuls;
        settings_.S_Fmin = 0;
        settings_.S_Fmax = 100;
    }

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
    }

    void init()
    {
        PublishSmallTestSignal(settings_);
        UseSine(1000, 45, 45, 1);
        UseFreshStore(dir_);
    }

    void cleanup() { ReleaseSettingsAndStore(); }

    void intensityShowsSixCurvesInWattsAndLocksTheSpectrumControls()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(1);   // volts: the curves must still be W/m^2, unscaled
        w.show();
        Ui::TFileSave* ui = w.form();
        w.Button7Click();

        QVERIFY(w.view().spectrumView && w.view().intensityShown);
        QCOMPARE(ui->RadioGroup1->count(), 3);
        QCOMPARE(ui->RadioGroup1->itemIndex(), 2);
        QVERIFY(!ui->RadioGroup1->isEnabled());
        for (QWidget* c : {static_cast<QWidget*>(ui->Button6), static_cast<QWidget*>(ui->Button7),
                           static_cast<QWidget*>(ui->Button4), static_cast<QWidget*>(ui->ComboBox4),
                           static_cast<QWidget*>(ui->CSpinEdit1), static_cast<QWidget*>(ui->CSpinEdit2)})
            QVERIFY2(!c->isEnabled(), qPrintable(c->objectName()));
        QVERIFY(ui->Button3->isHidden() && ui->GroupBox2->isHidden());
        QVERIFY(!ui->Button2->isHidden() && !ui->Button9->isHidden());

        const char* titles[6] = {"Ix", "Jx", "Iy", "Jy", "Iz", "Jz"};
        const int quantity[6] = {0, 3, 1, 4, 2, 5};   // index 3 g + a of Ix, Jx, Iy, ...
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(w.chart().axisTitle(c), QString::fromUtf8(titles[c]) + QStringLiteral(", Вт/м**2"));
            QCOMPARE(w.chart().series(c)->data()->size(), 500);
            const double drawn = (w.chart().series(c)->data()->constBegin() + 10)->value;
            QCOMPARE(drawn, w.data().intensity[quantity[c]][10]);
            QCOMPARE(w.data().frequency[10], 10.0 / 0.999);
        }
        // Undo brings the time view and the controls back and takes the unit away.
        w.BitBtn1Click();
        QVERIFY(!w.view().spectrumView && !w.view().intensityShown);
        QCOMPARE(ui->RadioGroup1->count(), 2);
        QCOMPARE(ui->RadioGroup1->itemIndex(), 0);
        QVERIFY(ui->RadioGroup1->isEnabled() && ui->Button7->isEnabled());
        QVERIFY(ui->Button2->isHidden() && ui->Button9->isHidden() && !ui->Button3->isHidden());
    }

    // By the microphones' sensitivities, a segment's intensity takes the pascals its "Паскали"
    // shows, from the sensitivities in the file: halving the X pair's doubles its pressures,
    // so П of x grows fourfold and П of y stays; with the setting off the file's
    // sensitivities do not enter.
    void calibratedIntensityOfASegmentTakesTheFilesSensitivities()
    {
        SetTestSignalFlag(false);
        auto potentialAt = [&](const std::array<double, 6>& sensitivity, int axis) {
            const QString name =
                WriteSegmentFile(dir_.filePath(QStringLiteral("cal.kvnb")), 1000, 1.0, sensitivity);
            TFileSave w(nullptr, name);
            w.show();
            if (!QTest::qWaitForWindowExposed(&w))
                return std::nan("");
            w.Button7Click();
            const double value = w.data().intensity[static_cast<size_t>(9 + axis)][5];
            // The band's text says which pressures the vectors stand on.
            const bool noted = QString::fromStdString(RunBandVectors(w).bandText)
                                   .endsWith(QStringLiteral("; давление по чувствительностям микрофонов"));
            w.reject();
            return noted == settings_.I_PO_CHUV ? value : std::nan("");
        };
        const std::array<double, 6> plain{1, 1, 1, 1, 1, 1};
        const std::array<double, 6> halvedX{0.5, 0.5, 1, 1, 1, 1};
        const double x = potentialAt(plain, 0);
        QVERIFY(x > 0);
        QCOMPARE(potentialAt(halvedX, 0), x);   // the setting is off
        settings_.I_PO_CHUV = true;
        const double calibratedX = potentialAt(plain, 0);
        QCOMPARE(potentialAt(halvedX, 0), 4 * calibratedX);
        QCOMPARE(potentialAt(halvedX, 1), potentialAt(plain, 1));
    }

    // The whole chain through the window: a plane wave from the test signal comes out along
    // its arrival direction with the plane-wave modulus, whichever way it points.
    void bandVectorsOfAPlaneWave_data()
    {
        QTest::addColumn<int>("thetaZ");
        QTest::addColumn<int>("thetaX");
        QTest::addColumn<int>("impuls");
        for (int impuls : {0, 1}) {
            const char* kind = impuls ? "harmonics" : "impulse";
            QTest::addRow("default %s", kind) << 45 << 45 << impuls;
            QTest::addRow("120/200 %s", kind) << 120 << 200 << impuls;
            QTest::addRow("90/180 %s", kind) << 90 << 180 << impuls;
        }
    }

    void bandVectorsOfAPlaneWave()
    {
        QFETCH(int, thetaZ);
        QFETCH(int, thetaX);
        QFETCH(int, impuls);
        UseSine(100000, thetaZ, thetaX, impuls);
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.Button7Click();
        // Cursors off: the band is what the chart shows, here 5 ... 15 Hz.
        w.chart().setXRange(5.0, 15.0);
        const IntensityResult r = RunBandVectors(w);

        const double tz = thetaZ * kDegree, tx = thetaX * kDegree;
        const std::array<double, 3> d = {std::sin(tz) * std::cos(tx), std::sin(tz) * std::sin(tx),
                                         std::cos(tz)};
        const double p = settings_.ampl_sig * settings_.VOLT * 400.0;
        const double plane = p * p / (2.0 * settings_.plotnost * settings_.skorost);
        const double dot = (r.I[0] * d[0] + r.I[1] * d[1] + r.I[2] * d[2]) / Norm(r.I);
        const double angle = std::acos(std::min(1.0, dot)) / kDegree;
        QVERIFY2(angle < 0.1, qPrintable(QStringLiteral("angle %1 deg").arg(angle)));
        QVERIFY(std::abs(Norm(r.I) / plane - 1.0) < 0.01);
        QVERIFY(Norm(r.J) < 1e-3 * plane);
        const double kinetic = r.K[0] + r.K[1] + r.K[2];
        for (int a = 0; a < 3; ++a)
            QVERIFY(std::abs(r.P[a] / kinetic - 1.0) < 0.01);
        // The half-widths are magnitudes that hold the vector.
        QVERIFY(r.maxI >= std::max({std::abs(r.I[0]), std::abs(r.I[1]), std::abs(r.I[2])}));
        QVERIFY(r.maxJ >= 0.0);
        const QString method = impuls ? QStringLiteral("Суммирование гармоник в диапазоне, Гц (")
                                      : QStringLiteral("Интегрирование импульса в диапазоне, Гц (");
        QCOMPARE(QString::fromStdString(r.bandText), method + QStringLiteral("5 : 15)"));
        qInfo("theta %d/%d %s: angle %.4f deg, |I|/plane - 1 = %.2e", thetaZ, thetaX,
              impuls ? "harmonics" : "impulse", angle, Norm(r.I) / plane - 1.0);
    }

    void cursorBandNeedsTenPixels()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1200, 800);
        w.show();
        w.Button7Click();
        w.chart().setXRange(0.0, 1000.0);   // ten pixels then hold several bins
        w.Button1Click();
        RecordingPresenter presenter;
        const int left = w.chart().xPixelStart() + 100;
        w.chart().setCursorPixels(left + 9, left);   // either order; 9 apart
        w.Button2Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QCOMPARE(presenter.messages[0].text, std::string("Недопустимый интервал между маркерами"));

        w.chart().setCursorPixels(left + 10, left);
        const IntensityResult r = RunBandVectors(w);
        QCOMPARE(presenter.messages.size(), size_t(1));
        QVERIFY(!r.bandText.empty());
        QCOMPARE(w.findChildren<TRaschet*>().size(), qsizetype(1));   // kept by the window
    }

    void bandBelowZeroStartsAtBinOneAndEmptyBandIsRefused()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.Button7Click();
        w.chart().setXRange(-50.0, 2.5);
        IntensityResult r = RunBandVectors(w);
        QVERIFY(QString::fromStdString(r.bandText).endsWith(QStringLiteral("(1 : 3)")));

        RecordingPresenter presenter;
        w.chart().setXRange(600.0, 700.0);   // above the last bin (499.5 Hz)
        w.Button2Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QCOMPARE(w.findChildren<TRaschet*>().size(), qsizetype(1));
    }

    // The readouts of the intensity view name the curves they read and keep their digits
    // (the values are of the order of 1e-3 W/m^2 here, which one decimal showed as 0,0).
    void intensityReadoutsNameTheQuantities()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1200, 800);
        w.show();
        w.Button7Click();
        w.chart().setXRange(0.0, 20.0);
        w.Button1Click();
        const int bin10 = int(std::lround(w.chart().xToPixel(9.5)));   // cursor 1 reads f = 10,01
        w.chart().setCursorPixels(bin10, bin10 + 50);
        w.UpdateReadouts();
        const QString first = w.form()->Label1->text();
        QVERIFY2(first.startsWith(QStringLiteral("f(Гц)= ")) && first.contains(QStringLiteral("Вт/м²")) &&
                     !first.contains(QStringLiteral("K1")),
                 qPrintable(first));
        const QStringList names = {"Ix", "Jx", "Iy", "Jy", "Iz", "Jz"};
        const int quantity[6] = {0, 3, 1, 4, 2, 5};
        for (int c = 0; c < 6; ++c) {
            const int at = first.indexOf(names[c] + QStringLiteral("= "));
            QVERIFY2(at >= 0, qPrintable(first));
            const QString number = first.mid(at + 4).section(QLatin1Char(';'), 0, 0);
            bool parsed = false;
            const double shown = QLocale().toDouble(number, &parsed);
            const double value = w.data().intensity[quantity[c]][10];
            QVERIFY2(parsed && std::abs(shown - value) <= 1e-4 * std::abs(value),
                     qPrintable(first + " / " + QString::number(value)));
        }
        QVERIFY(w.form()->Label3->text().contains(QStringLiteral("dJz= ")));
    }

    // "I , J" says in one sentence when the band leaves what the probe measures well; the
    // numbers stay as they are. The default spacing of 0,5 m puts k dr = 1 at 108 Hz.
    void bandVectorsCarryTheProbeLimitWarning_data()
    {
        QTest::addColumn<int>("window");   // item of the window list
        QTest::addColumn<int>("impuls");
        QTest::addColumn<double>("hi");      // band 5 ... hi Hz
        QTest::addColumn<QString>("part");   // empty: no warning
        QTest::newRow("low band, Hanning") << 2 << 1 << 15.0 << QString();
        QTest::newRow("above k dr = 1") << 2 << 1 << 150.0 << QStringLiteral("kΔr = 1");
        QTest::newRow("flat top on bin 10") << 7 << 1 << 15.0 << QStringLiteral("Ханнинга");
        QTest::newRow("impulse, never weighted") << 7 << 0 << 15.0 << QString();
    }

    void bandVectorsCarryTheProbeLimitWarning()
    {
        QFETCH(int, window);
        QFETCH(int, impuls);
        QFETCH(double, hi);
        QFETCH(QString, part);
        settings_.impuls = impuls;
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.form()->ComboBox4->setCurrentIndex(window);
        w.Button7Click();
        w.chart().setXRange(5.0, hi);
        const IntensityResult r = RunBandVectors(w);
        const QString warning = QString::fromStdString(r.limitWarning);
        QVERIFY(!r.bandText.empty());
        if (part.isEmpty())
            QVERIFY2(warning.isEmpty(), qPrintable(warning));
        else
            QVERIFY2(warning.contains(part), qPrintable(warning));
    }

    // The English interface writes the spectra for other programs: a header, "," between
    // fields, "." decimals, UTF-8 with LF; the Russian interface keeps the program's form.
    void englishInterfaceWritesThePlainCsv()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.form()->CSpinEdit1->setValue(5);
        w.form()->CSpinEdit2->setValue(8);
        w.Button7Click();
        const QString name = dir_.filePath("plain.csv");
        const bool written = w.SaveIntensityCsv(name);
        InstallLanguage(UiLanguage::Russian);
        QVERIFY(written);
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(!bytes.contains('\r') && !bytes.contains(';'));
        const QStringList lines = QString::fromUtf8(bytes).split('\n', Qt::SkipEmptyParts);
        QVERIFY(lines.size() >= 2);
        QCOMPARE(lines.front(), QStringLiteral("f_Hz,Ix,Iy,Iz,Jx,Jy,Jz,Kx,Ky,Kz,Px,Py,Pz"));
        for (const QString& line : lines.mid(1)) {
            const QStringList fields = line.split(',');
            QCOMPARE(fields.size(), 13);
            bool number = false;
            const double f = QLocale::c().toDouble(fields.front(), &number);
            // The rows are the bins nearest the range, as in the program form.
            QVERIFY2(number && f > 4.9 && f < 8.1, qPrintable(line));
        }
    }

    void csvFileLayoutEncodingAndOverwrite()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.form()->CSpinEdit1->setValue(5);
        w.form()->CSpinEdit2->setValue(8);
        w.Button7Click();
        const QString name = dir_.filePath("spectra.csv");
        QVERIFY(w.SaveIntensityCsv(name));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(!bytes.contains("\xD0"));   // no UTF-8 Cyrillic
        QStringDecoder cp1251("windows-1251");
        QVERIFY(cp1251.isValid());
        const QString text = cp1251(bytes);
        QVERIFY(text.endsWith(QStringLiteral("\r\n")));
        const QStringList lines = text.chopped(2).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.mid(0, 4),
                 QStringList({QStringLiteral("Амплитудно-частотные характеристики интенсивности"), ";", ";",
                              QStringLiteral("F(Гц);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;Пx;Пy;Пz")}));
        // Bins at 5.005 ... 8.008 Hz: the first at or above 5, the last the first at or above 8.
        QCOMPARE(lines.size(), 4 + 4 + 5);
        QVERIFY2(lines[4].startsWith(QStringLiteral("5,005005005;")), qPrintable(lines[4]));
        QVERIFY(lines[7].startsWith(QStringLiteral("8,008008008;")));
        QCOMPARE(lines[4].count(QLatin1Char(';')), 13);
        // Every value as computed, to 7 digits: Jx, the fifth value, of the bin at 5,005 Hz.
        const double jx = w.data().intensity[3][5];
        QVERIFY(jx != 0.0);
        bool parsed = false;
        const double written = QLocale().toDouble(lines[4].split(QLatin1Char(';'))[4], &parsed);
        QVERIFY2(parsed && std::abs(written / jx - 1.0) < 1e-6, qPrintable(lines[4]));
        QCOMPARE(lines.mid(8), QStringList({";", ";", QStringLiteral("Примечание:"),
                                            QStringLiteral("Ix, Iy, Iz, Jx, Jy, Jz - размерность Вт/м^2"),
                                            QStringLiteral("Kx, Ky, Kz, Пx, Пy, Пz - размерность Дж/м^3")}));

        RecordingPresenter presenter;
        presenter.answers = {IDNO};
        w.form()->CSpinEdit2->setValue(10);   // disabled for the user, still read by the export
        QVERIFY(!w.SaveIntensityCsv(name));
        QCOMPARE(presenter.messages[0].caption, std::string("Внимание!"));
        QCOMPARE(presenter.messages[0].text, std::string("Файл существует.Переписать?"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), bytes);
        file.close();
        presenter.answers = {IDYES};
        QVERIFY(w.SaveIntensityCsv(name));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count("\r\n"), 4 + 6 + 5);
        file.close();

        // A target that cannot be replaced (a folder) keeps what is there and says why.
        const QString folder = dir_.filePath("taken.csv");
        QVERIFY(QDir().mkdir(folder));
        presenter.answers = {IDYES};
        QVERIFY(!w.SaveIntensityCsv(folder));
        QVERIFY(QFileInfo(folder).isDir());
        QVERIFY(QString::fromStdString(presenter.messages.back().text)
                    .startsWith(QStringLiteral("Не удалось записать файл ")));

        // No bin in the rows: refused, nothing written.
        w.form()->CSpinEdit1->setValue(40);
        w.form()->CSpinEdit2->setValue(20);
        const QString none = dir_.filePath("none.csv");
        QVERIFY(!w.SaveIntensityCsv(none));
        QVERIFY(!QFile::exists(none));
        QCOMPARE(presenter.messages.back().caption, std::string("ВНИМАНИЕ"));
    }
};

QTEST_MAIN(IntensityCommandsTest)
#include "tst_intensity_commands.moc"
