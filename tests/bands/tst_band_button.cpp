// "Полосы" in the processing window: it comes and goes with "I , J", and hands the band window
// the intensity spectra of the shown range with the window's constants.
#include "TBands.h"
#include "TFileSave.h"
#include "ui_TBands.h"
#include "ui_TFileSave.h"

#include "ChartBands.h"
#include "ModalDriver.h"
#include "Settings.h"
#include "TestSignal.h"
#include "WindowTestSupport.h"

#include <QTemporaryDir>
#include <QtTest>

class BandButtonTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    Settings settings_;

private slots:
    void initTestCase()
    {
        UseRussianLocale();
        QVERIFY(dir_.isValid());
    }

    void init()
    {
        // The test signal: 10 Hz, 1000 samples a second for a second, no noise, periodic.
        PublishSmallTestSignal(settings_);
        settings_.type_sig = kTestSignalSine;
        settings_.freq_sig = 10;
        settings_.ampl_noise_sig = 0;
        settings_.impuls = 1;
        UseFreshStore(dir_);
    }

    void cleanup() { ReleaseSettingsAndStore(); }

    void buttonFollowsIntensityVectors()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        Ui::TFileSave* ui = w.form();
        QVERIFY(ui->Button12->isHidden());
        QCOMPARE(ui->Button12->text(), QStringLiteral("Полосы"));
        w.Button7Click();
        QVERIFY(!ui->Button2->isHidden());
        QVERIFY(!ui->Button12->isHidden());
        w.BitBtn1Click();
        QVERIFY(ui->Button2->isHidden());
        QVERIFY(ui->Button12->isHidden());
        // Not in the intensity view: nothing opens.
        w.Button12Click();
        QCOMPARE(w.findChildren<TBands*>().size(), qsizetype(0));
    }

    void bandWindowGetsTheShownRange()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.Button7Click();
        w.chart().setXRange(5.0, 15.0);
        std::vector<std::string> labels;
        std::string loudest;
        QString range;
        OnNextModal([&](QWidget* modal) {
            auto* bands = qobject_cast<TBands*>(modal);
            if (!bands)
                return;
            range = bands->form()->LabelRange->text();
            double best = -1e300;
            for (const OctaveBand& band : bands->analysis().bands) {
                labels.push_back(band.label);
                if (band.figures.levels.intensity && *band.figures.levels.intensity > best) {
                    best = *band.figures.levels.intensity;
                    loudest = band.label;
                }
            }
        });
        w.Button12Click();
        QCOMPARE(labels, (std::vector<std::string>{"5", "6.3", "8", "10", "12.5"}));
        QCOMPARE(loudest, std::string("10"));
        QVERIFY2(range.startsWith(QStringLiteral("Диапазон: 5 … 15 Гц")), qPrintable(range));
        // The window is gone once closed; the processing window goes on.
        QCOMPARE(w.findChildren<TBands*>().size(), qsizetype(0));
        QVERIFY(w.view().intensityShown);
    }
};

QTEST_MAIN(BandButtonTest)
#include "tst_band_button.moc"
