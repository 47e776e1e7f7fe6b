// The processing window's commands on the test signal: filtering of chosen channels through
// the filter dialog, its failure, spectra and the dB unit, undo, the pair operations from the
// "M" snapshot, linear bridging, the peak-to-peak report and the control states after each.
#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "BackgroundWork.h"
#include "ChartBands.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "RadioGroup.h"
#include "RecordingPresenter.h"
#include "SegmentFixture.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"
#include "SignalUtils.h"
#include "TMath.h"
#include "TS_Wait.h"
#include "ui_TMath.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>

namespace {

using Channels = ProcessingData::Channels;

// Answers the filter dialog: the channels (1-based), type, order and band, then "Применить".
void ApplyFilterDialog(std::vector<int> channels, int type, int order, int fmin, int fmax)
{
    OnNextModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<TMath*>(modal);
        QVERIFY(dialog);
        dialog->Button4Click();
        for (int c : channels)
            dialog->channelBoxes()[c - 1]->setChecked(true);
        dialog->form()->ComboBox2->setCurrentIndex(type);
        dialog->form()->CSpinEdit1->setValue(order);
        dialog->form()->CSpinEdit2->setValue(fmin);
        dialog->form()->CSpinEdit3->setValue(fmax);
        dialog->form()->Button2->click();
    });
}

// What the control-state table fixes, in its column order.
struct Controls {
    bool spectrumCommands;     // Button6, Button7, Button4 enabled
    bool spectrumParameters;   // ComboBox4, CSpinEdit1, CSpinEdit2 enabled
    bool snapshotButton;       // Button3 shown
    bool pairGroup;            // GroupBox2 shown
    bool units;                // RadioGroup1 shown and enabled
    bool intensityButtons;     // Button2, Button9 shown
};

Controls Observe(TFileSave& w)
{
    Ui::TFileSave* ui = w.form();
    return {ui->Button6->isEnabled() && ui->Button7->isEnabled() && ui->Button4->isEnabled(),
            ui->ComboBox4->isEnabled() && ui->CSpinEdit1->isEnabled() && ui->CSpinEdit2->isEnabled(),
            !ui->Button3->isHidden(),
            !ui->GroupBox2->isHidden(),
            !ui->RadioGroup1->isHidden() && ui->RadioGroup1->isEnabled(),
            !ui->Button2->isHidden() && !ui->Button9->isHidden()};
}

// Answers like RecordingPresenter, but lets events through first as a real message box does
// while it waits for the user.
class EventPassingPresenter : public RecordingPresenter {
public:
    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        QCoreApplication::processEvents();
        return RecordingPresenter::present(kind, caption, text, flags);
    }
};

QString Describe(const Controls& c)
{
    return QStringLiteral("commands %1 parameters %2 M %3 pairs %4 units %5 I,J %6")
        .arg(c.spectrumCommands)
        .arg(c.spectrumParameters)
        .arg(c.snapshotButton)
        .arg(c.pairGroup)
        .arg(c.units)
        .arg(c.intensityButtons);
}

}   // namespace

class ProcessingCommandsTest : public QObject {
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
        PublishSmallTestSignal(settings_);
        settings_.S_Fmin = 0;
        settings_.S_Fmax = 100;
        UseFreshStore(dir_);
    }

    void cleanup()
    {
        SetBeforeWorkHook({});
        ReleaseSettingsAndStore();
    }

    void filteringTouchesOnlyTheChosenChannelsAndUndoRestores()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        const Channels asRead = w.data().segment.channels;
        ApplyFilterDialog({2, 5}, 0, 2, 0, 50);
        w.Button4Click();
        for (int c = 0; c < 6; ++c) {
            const bool chosen = c == 1 || c == 4;
            QVERIFY2((w.data().samples()[c] != asRead[c]) == chosen, qPrintable(QString::number(c)));
            QCOMPARE(w.data().segment.channels[c], asRead[c]);
        }
        QVERIFY(w.options().channels[1] && w.options().channels[4] && !w.options().channels[0]);
        QCOMPARE(w.options().filterFmax, 50);
        // The curve shows the filtered samples.
        const double drawn = (w.chart().series(1)->data()->constBegin() + 100)->value;
        QCOMPARE(drawn, w.data().samples()[1][100] * w.displayFactors()[1]);

        w.BitBtn1Click();
        QCOMPARE(w.data().samples(), asRead);
    }

    void failingFilterReportsAndRedrawsNothing()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        const Channels before = w.data().samples();
        RecordingPresenter presenter;
        QSignalSpy draws(&w.chart(), &ChartBands::beforeDraw);
        ApplyFilterDialog({1, 3}, 2, 4, 40, 40);   // Fmin = Fmax
        w.Button4Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QCOMPARE(presenter.messages[0].text, std::string("Ошибка фильтрации"));
        QCOMPARE(w.data().samples(), before);
        QCOMPARE(draws.count(), 0);

        // Cancelling the dialog changes nothing, not even the options.
        const int order = w.options().filterOrder;
        OnNextModal([](QWidget* modal) {
            auto* dialog = qobject_cast<TMath*>(modal);
            dialog->form()->CSpinEdit1->setValue(6);
            dialog->form()->Button3->click();
        });
        w.Button4Click();
        QCOMPARE(w.options().filterOrder, order);
        QCOMPARE(w.data().samples(), before);
    }

    // "Отмена" on the notice of a command leaves the window as it was: the samples, the view
    // and the controls. The click comes as soon as the work's wait begins.
    void cancelledCommandsLeaveTheWindowAsItWas()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        const Channels before = w.data().samples();
        const Controls controls = Observe(w);
        // Watches for the notice's "Отмена" and presses it once it is offered.
        QTimer watcher;
        watcher.setInterval(1);
        connect(&watcher, &QTimer::timeout, &w, [&] {
            auto* notice = w.findChild<TS_Wait*>();
            if (notice && notice->cancelOffered()) {
                watcher.stop();
                notice->findChild<QPushButton*>("CancelButton")->click();
            }
        });
        const auto cancelSoon = [&watcher] { watcher.start(); };
        // Each work waits a moment first, so the click always comes while it runs.
        SetBeforeWorkHook([] { QThread::msleep(300); });
        ApplyFilterDialog({1, 2, 3, 4, 5, 6}, 0, 2, 0, 50);
        cancelSoon();
        w.Button4Click();
        QCOMPARE(w.data().samples(), before);
        for (auto command : {&TFileSave::Button6Click, &TFileSave::Button7Click}) {
            cancelSoon();
            (w.*command)();
            QVERIFY(!w.view().spectrumView);
            QVERIFY(!w.view().intensityShown);
            QCOMPARE(Describe(Observe(w)), Describe(controls));
        }
        QCOMPARE(TS_Wait::liveCount(), 0);
        QVERIFY(!watcher.isActive());
        SetBeforeWorkHook({});
        // Not cancelled, the same command goes through.
        w.Button7Click();
        QVERIFY(w.view().intensityShown);
    }

    void spectraAddTheDbUnitAndUndoTakesItAway()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        Ui::TFileSave* ui = w.form();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // The unit that comes with the spectra moves no button: a quick second click lands
        // where the first did.
        const QPoint intensityButton = ui->Button7->mapTo(&w, QPoint());
        w.Button6Click();
        QVERIFY(w.view().spectrumView);
        QCOMPARE(ui->RadioGroup1->items().value(2), QStringLiteral("дБА"));
        QApplication::processEvents();
        QCOMPARE(ui->Button7->mapTo(&w, QPoint()), intensityButton);
        QCOMPARE(w.chart().axisTitle(0), QStringLiteral("Канал 1 (Па)"));
        QCOMPARE(w.chart().series(0)->data()->size(), 500);
        QVERIFY(w.view().localAutoscaleApplied);
        ui->RadioGroup1->setItemIndex(2);
        QVERIFY(w.view().dbSelected);
        QCOMPARE(w.chart().axisTitle(0), QStringLiteral("Канал 1 (дБА)"));

        w.BitBtn1Click();
        QVERIFY(!w.view().spectrumView && !w.view().dbSelected);
        QCOMPARE(ui->RadioGroup1->count(), 2);
        QCOMPARE(ui->RadioGroup1->itemIndex(), 0);
        QCOMPARE(w.chart().axisTitle(0), QStringLiteral("Канал 1 (Па)"));
        QCOMPARE(w.chart().series(0)->data()->size(), 1000);
        QVERIFY(!w.view().localAutoscaleApplied);
    }

    void pairOperationsReadTheSnapshot()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        const Channels s = w.data().samples();
        const double dt = w.data().segment.time[1] - w.data().segment.time[0];
        w.Button3Click();
        w.SpeedButton1Click();
        QCOMPARE(w.data().samples()[0][7], s[0][7] + s[1][7]);
        QCOMPARE(w.data().samples()[1], std::vector<double>(1000, 0.0));
        QVERIFY(!w.chart().seriesVisible(1));
        QVERIFY(!w.form()->CheckBox6->isChecked());   // the box of channel 2 follows its curve

        // "S" after "+": the integral of the snapshot, not of the sum.
        w.SpeedButton3Click();
        const double expected = (s[4][0] * 4 + s[4][1]) * dt / 6 + (s[4][0] + 4 * s[4][1] + s[4][2]) * dt / 6;
        QCOMPARE(w.data().samples()[4][1], expected);
        QVERIFY(w.chart().seriesVisible(1));
        QVERIFY(!w.data().samples()[1].empty() && w.data().samples()[1][500] != 0.0);

        // "VT": velocity from the pressure difference of each pair; partners zero and hidden.
        w.SpeedButton5Click();
        for (int c : {1, 3, 5}) {
            QCOMPARE(w.data().samples()[c], std::vector<double>(1000, 0.0));
            QVERIFY(!w.chart().seriesVisible(c));
        }
        const int k = 300;
        double integral = 0.0;
        std::vector<double> d(1000);
        for (int i = 0; i < 1000; ++i)
            d[i] = s[3][i] - s[2][i];
        for (int i = 0; i <= k; ++i)
            integral += ((i > 0 ? d[i - 1] : 0.0) + 4 * d[i] + (i + 1 < 1000 ? d[i + 1] : 0.0)) * dt / 6;
        QVERIFY(std::abs(w.data().samples()[2][k] - integral / (settings_.plotnost * settings_.lmic[1])) <
                1e-9 * std::abs(integral));
        QCOMPARE(w.chart().axisTitle(2), QStringLiteral("Канал 3 (м/с)"));
        QCOMPARE(w.chart().axisTitle(3), QStringLiteral("Канал 4 (Па)"));
    }

    void velocitySpectraAfterVf()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        w.Button3Click();
        w.SpeedButton6Click();
        QVERIFY(w.view().spectrumView);
        QVERIFY(w.form()->RadioGroup1->isHidden() && w.form()->Button2->isHidden());
        QCOMPARE(w.data().spectra[1][10], 0.0);
        QVERIFY(w.data().spectra[0][10] > 0.0);
    }

    void bridgingBetweenTheCursors()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1200, 800);
        w.show();
        const double* t = w.data().segment.time.data();
        const int left = w.chart().xPixelStart() + 100;
        const int right = left + 300;

        // Cursor 1 right of cursor 2: no sample lies between them in that order.
        w.Button1Click();
        w.chart().setCursorPixels(right, left);
        const Channels before = w.data().samples();
        w.Button10Click();
        QCOMPARE(w.data().samples(), before);
        QVERIFY(!w.cursorsOn());

        w.Button1Click();
        w.chart().setCursorPixels(left, right);
        const double x1 = w.chart().pixelToX(left), x2 = w.chart().pixelToX(right);
        const int i1 = int(std::lower_bound(t, t + 1000, x1) - t);
        const int i2 = int(std::lower_bound(t, t + 1000, x2) - t);
        w.Button10Click();
        const std::vector<double>& b = w.data().samples()[0];
        QCOMPARE(b[i1], before[0][i1]);
        QCOMPARE(b[i2 - 1] == before[0][i2 - 1], false);
        const double slope = (before[0][i2] - before[0][i1]) / (t[i2] - t[i1]);
        const int mid = (i1 + i2) / 2;
        QVERIFY(std::abs(b[mid] - (before[0][i1] + slope * (t[mid] - t[i1]))) < 1e-9);
        QCOMPARE(b[i1 - 1], before[0][i1 - 1]);

        // Both cursors past the last sample: refused, nothing read outside the arrays.
        RecordingPresenter presenter;
        w.Button1Click();
        w.chart().setXRange(2.0, 3.0);
        w.chart().setCursorPixels(left, right);
        const Channels bridged = w.data().samples();
        w.Button10Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("ВНИМАНИЕ"));
        QCOMPARE(w.data().samples(), bridged);
    }

    void peakToPeakReport()
    {
        settings_.VOLT = 0.01;
        SetTestSignalFlag(false);
        const QString name = WriteSegmentFile(dir_.filePath("pp.kvnb"), 1000, 1.0, {1, 1, 1, 1, 1, 1});
        QVERIFY(!name.isEmpty());
        TFileSave w(nullptr, name);
        w.setUnitSelection(1);   // volts: channel c swings (c + 1) V either way
        w.show();
        RecordingPresenter presenter;
        w.Button11Click();
        QCOMPARE(presenter.messages.size(), size_t(1));
        QCOMPARE(presenter.messages[0].caption, std::string("Вычисление пик - пик"));
        QCOMPARE(QString::fromStdString(presenter.messages[0].text),
                 QStringLiteral("Кан.№ 1 Мин= -1,00 Макс= 1,00 Сред= 0,00\n\n"
                                "Кан.№ 2 Мин= -2,00 Макс= 2,00 Сред= 0,00\n\n"
                                "Кан.№ 3 Мин= -3,00 Макс= 3,00 Сред= 0,00\n\n"
                                "Кан.№ 4 Мин= -4,00 Макс= 4,00 Сред= 0,00\n\n"
                                "Кан.№ 5 Мин= -5,00 Макс= 5,00 Сред= 0,00\n\n"
                                "Кан.№ 6 Мин= -6,00 Макс= 6,00 Сред= 0,00\n\n"));
    }

    // A close the user asked for while a command ran (queued before it, so the command's
    // notice, message or dialog delivers it) must wait for the command: the data stay until
    // the command is done, and the window closes then.
    void closeDuringACommandWaitsForIt_data()
    {
        QTest::addColumn<QString>("command");
        for (const char* command :
             {"Фильтрация", "АЧХ", "VF", "откат", "Интенсивность", "I , J", "P - P", "Лин.аппр.", "ось"})
            QTest::newRow(command) << QString::fromUtf8(command);
    }

    void closeDuringACommandWaitsForIt()
    {
        QFETCH(QString, command);
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1200, 800);
        w.show();
        EventPassingPresenter presenter;
        std::function<void()> run;
        if (command == "Фильтрация") {
            ApplyFilterDialog({1}, 0, 2, 0, 50);
            run = [&] { w.Button4Click(); };
        } else if (command == "АЧХ") {
            run = [&] { w.Button6Click(); };
        } else if (command == "VF") {
            w.Button3Click();
            run = [&] { w.SpeedButton6Click(); };
        } else if (command == "откат") {
            w.Button6Click();
            run = [&] { w.BitBtn1Click(); };
        } else if (command == "Интенсивность") {
            run = [&] { w.Button7Click(); };
        } else if (command == "I , J") {
            w.Button7Click();
            OnNextModal([](QWidget*) {});   // the vector window, closed again
            run = [&] { w.Button2Click(); };
        } else if (command == "P - P") {
            run = [&] { w.Button11Click(); };
        } else if (command == "Лин.аппр.") {
            w.Button1Click();
            w.chart().setXRange(2.0, 3.0);   // both cursors past the last sample: a refusal
            w.chart().setCursorPixels(w.chart().xPixelStart() + 10, w.chart().xPixelEnd() - 10);
            run = [&] { w.Button10Click(); };
        } else {
            OnNextModal([](QWidget*) {});   // the axis dialog
            run = [&] { w.GRClickAxis(2); };
        }
        const int n = w.data().count();
        int heldDuring = -1;
        QMetaObject::invokeMethod(&w, "reject", Qt::QueuedConnection);
        QMetaObject::invokeMethod(
            &w, [&] { heldDuring = w.data().count(); }, Qt::QueuedConnection);
        run();
        QCOMPARE(heldDuring, n);   // the close came in the middle, the data stayed
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(w.data().count(), 0);
        QCOMPARE(TS_Wait::liveCount(), 0);
    }

    // The notice the main window shows while it opens the window, and the window's own, are
    // gone by the time the filter dialog asks its question.
    void noNoticeOverTheFilterDialog()
    {
        TS_Wait opening(nullptr);
        opening.showAndPaint();
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        int noticesOnScreen = -1;
        OnNextModal([&](QWidget* modal) {
            QVERIFY(qobject_cast<TMath*>(modal));
            noticesOnScreen = TS_Wait::visibleCount();
            qobject_cast<TMath*>(modal)->form()->Button3->click();
        });
        w.Button4Click();
        QCOMPARE(noticesOnScreen, 0);
    }

    void controlStatesAfterEachCommand()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        struct Step {
            const char* name;
            std::function<void()> run;
            Controls expected;
        };
        const std::vector<Step> steps = {
            {"opening", [] {}, {true, true, true, false, true, false}},
            {"M", [&] { w.Button3Click(); }, {true, true, false, true, true, false}},
            {"+", [&] { w.SpeedButton1Click(); }, {true, true, false, true, true, false}},
            {"VT", [&] { w.SpeedButton5Click(); }, {true, true, false, false, false, false}},
            {"undo", [&] { w.BitBtn1Click(); }, {true, true, true, false, true, false}},
            {"АЧХ", [&] { w.Button6Click(); }, {false, false, false, false, true, false}},
            {"undo", [&] { w.BitBtn1Click(); }, {true, true, true, false, true, false}},
            {"Интенсивность", [&] { w.Button7Click(); }, {false, false, false, false, false, true}},
            {"undo", [&] { w.BitBtn1Click(); }, {true, true, true, false, true, false}},
        };
        for (const Step& step : steps) {
            step.run();
            const Controls seen = Observe(w);
            QVERIFY2(Describe(seen) == Describe(step.expected),
                     qPrintable(QString::fromUtf8(step.name) + ": " + Describe(seen)));
        }
        // After "M" an undo from the time view still returns to the as-read samples.
        QCOMPARE(w.data().samples(), w.data().segment.channels);
    }
};

QTEST_MAIN(ProcessingCommandsTest)
#include "tst_processing_commands.moc"
