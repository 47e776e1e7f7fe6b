// The processing window on the test signal and on segment files: opening (units, odd rate,
// analysis band), refusals that close it, unit factors, visibility, axis dialog, zoom, local
// autoscale, the cursors and their readouts, and the options written at closing.
#include "TFileSave.h"

#include "ChartBands.h"
#include "InterfaceTexts.h"
#include "Language.h"
#include "RadioGroup.h"
#include "ModalDriver.h"
#include "NumberText.h"
#include "QtMessagePresenter.h"
#include "ReadWriteMyFile.h"
#include "RecordingPresenter.h"
#include "SegmentFixture.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "WindowTestSupport.h"
#include "SignalUtils.h"
#include "TS_Wait.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <cmath>

namespace {

double PointValue(TFileSave& w, int channel, int index)
{
    return (w.chart().series(channel)->data()->constBegin() + index)->value;
}

}   // namespace

class TFileSaveTest : public QObject {
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
        PublishSmallTestSignal(settings_);   // 1000 samples per channel
        UseFreshStore(dir_);
    }

    void cleanup()
    {
        if (CurrentLanguage() != UiLanguage::Russian)
            InstallLanguage(UiLanguage::Russian);
        ReleaseSettingsAndStore();
    }

    void testSignalOpensInPascalsWithFactorVoltTimes400()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.show();
        QVERIFY(!w.view().firstDrawPending);
        QVERIFY(w.findChild<QWidget*>("Panel1")->isVisible());
        QVERIFY(w.findChild<QPushButton*>("Button8")->isVisible());
        QVERIFY(!w.findChild<QWidget*>("Panel2")->isVisible());
        QCOMPARE(TS_Wait::liveCount(), 0);
        QCOMPARE(w.data().count(), 1000);
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(w.displayFactors()[c], 0.00263 * 400);
            QCOMPARE(w.chart().axisTitle(c), QStringLiteral("Канал %1 (Па)").arg(c + 1));
            QCOMPARE(w.chart().series(c)->data()->size(), 1000);   // every sample
            QCOMPARE(PointValue(w, c, 123), w.data().samples()[c][123] * 0.00263 * 400);
        }
        QCOMPARE(w.view().timeView[1], 999.0 / 1000);
        QCOMPARE(w.chart().labelIncrement(), 0.1 * 0.999);
    }

    void opensInVoltsWhenAskedTo()
    {
        settings_.S_PA_OR_VOLT = 1;
        TFileSave w(nullptr, QString());
        w.setUnitSelection(1);
        w.show();
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(w.chart().axisTitle(c), QStringLiteral("Канал %1 (В)").arg(c + 1));
            QCOMPARE(PointValue(w, c, 77), w.data().samples()[c][77] * 0.00263);
        }
        // Back to pascals once open: titles and factors follow.
        w.findChild<RadioGroup*>("RadioGroup1")->setItemIndex(0);
        QCOMPARE(w.chart().axisTitle(4), QStringLiteral("Канал 5 (Па)"));
        QCOMPARE(PointValue(w, 4, 77), w.data().samples()[4][77] * 0.00263 * 400);
    }

    void segmentFileWithOddRateAndHighBand()
    {
        settings_.S_Fmax = 600;
        const QString path = WriteSegmentFile(dir_.filePath("odd.kvnb"), 1001, 1.0, {2, 4, 5, 8, 10, 20});
        QVERIFY(!path.isEmpty());
        SetTestSignalFlag(false);
        RecordingPresenter presenter;
        TFileSave w(nullptr, path);
        w.setUnitSelection(0);
        w.show();
        QVERIFY(presenter.messages.empty());
        QCOMPARE(w.data().segment.sampleRate, 1000u);
        QCOMPARE(w.data().count(), 1000);
        QCOMPARE(w.findChild<QSpinBox*>("CSpinEdit2")->maximum(), 500);
        QCOMPARE(w.findChild<QSpinBox*>("CSpinEdit2")->value(), 500);
        QCOMPARE(settings_.S_Fmax, 500);
        // Pascals from a file: VOLT x 1000 / sensitivity, per channel.
        QCOMPARE(w.displayFactors()[0], 0.00263 * 500);
        QCOMPARE(w.displayFactors()[5], 0.00263 * 50);
        QCOMPARE(PointValue(w, 1, 50), w.data().samples()[1][50] * 0.00263 * 250);
    }

    void refusedDataCloseTheWindowAfterTheMessage_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rate");   // test signal when file is empty
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("expect");   // part of the message
        QTest::newRow("missing file") << "missing.kvnb" << 0 << 0 << "";
        QTest::newRow("truncated file") << "short.kvnb" << 0 << 0 << "";
        QTest::newRow("test signal beyond memory") << "" << 100000000 << 10 << "ГБ";
    }

    void refusedDataCloseTheWindowAfterTheMessage()
    {
        QFETCH(QString, file);
        QFETCH(int, rate);
        QFETCH(int, seconds);
        QFETCH(QString, expect);
        QString path;
        if (!file.isEmpty()) {
            path = dir_.filePath(file);
            SetTestSignalFlag(false);
            if (file == "short.kvnb") {
                QVERIFY(!WriteSegmentFile(path, 1000, 1.0, {1, 1, 1, 1, 1, 1}).isEmpty());
                QFile f(path);
                QVERIFY(f.resize(5000));
            }
        } else {
            settings_.freq_ocifr = rate;
            settings_.dlit = seconds;
        }
        RecordingPresenter presenter;
        TFileSave w(nullptr, path);
        w.setUnitSelection(0);
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        QVERIFY(!presenter.messages.empty());
        if (!expect.isEmpty())
            QVERIFY2(QString::fromStdString(presenter.messages.back().text).contains(expect),
                     presenter.messages.back().text.c_str());
        QCOMPARE(w.data().count(), 0);
        QCOMPARE(w.chart().series(0)->data()->size(), 0);
        QCOMPARE(TS_Wait::liveCount(), 0);
    }

    // A damaged segment is refused with an error box: neither the notice the main window
    // shows while it opens the file nor the window's own may hide the box's text or button.
    void noNoticeOverTheErrorOfATruncatedSegment()
    {
        const QString path = dir_.filePath("cut.kvnb");
        QVERIFY(!WriteSegmentFile(path, 1000, 1.0, {1, 1, 1, 1, 1, 1}).isEmpty());
        {
            QFile f(path);
            QVERIFY(f.resize(5000));
        }
        SetTestSignalFlag(false);
        QtMessagePresenter boxes;
        MessagePresenter* previous = SetMessagePresenter(&boxes);
        TS_Wait opening(nullptr);
        opening.showAndPaint();
        std::vector<int> noticesAtEachBox;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || box->buttons().isEmpty())
                return;
            noticesAtEachBox.push_back(TS_Wait::visibleCount());
            box->buttons().constFirst()->click();
        });
        poll.start();
        TFileSave w(nullptr, path);
        w.setUnitSelection(0);
        const int result = w.exec();
        poll.stop();
        SetMessagePresenter(previous);
        QCOMPARE(result, int(QDialog::Rejected));
        QVERIFY(!noticesAtEachBox.empty());
        QCOMPARE(noticesAtEachBox, std::vector<int>(noticesAtEachBox.size(), 0));
        QCOMPARE(TS_Wait::visibleCount(), 0);
    }

    void unitChangeIgnoredUntilFirstDraw()
    {
        TFileSave w(nullptr, QString());
        w.setUnitSelection(1);   // before showing: nothing drawn, nothing redrawn
        QCOMPARE(w.chart().series(0)->data()->size(), 0);
        w.show();
        QCOMPARE(w.displayFactors()[0], 0.00263);
        QCOMPARE(w.chart().axisTitle(0), QStringLiteral("Канал 1 (В)"));
    }

    void visibilityBoxesMapToChannels()
    {
        TFileSave w(nullptr, QString());
        w.show();
        // Caption "1" is CheckBox5, caption "6" is CheckBox2.
        w.findChild<QCheckBox*>("CheckBox5")->click();
        w.findChild<QCheckBox*>("CheckBox2")->click();
        QVERIFY(!w.chart().seriesVisible(0));
        QVERIFY(!w.chart().seriesVisible(5));
        QVERIFY(w.chart().seriesVisible(4));
        QVERIFY(!settings_.G_Vis[0] && !settings_.G_Vis[5] && settings_.G_Vis[4]);
        QCOMPARE(w.findChild<QCheckBox*>("CheckBox1")->text(), QStringLiteral("5"));
        QCOMPARE(w.findChild<QCheckBox*>("CheckBox1")->property("tag").toInt(), 104);
    }

    void axisClickRestylesOneOrAllChannels()
    {
        TFileSave w(nullptr, QString());
        w.show();
        w.GRClickAxis(-1);   // the x axis: no dialog, nothing changes
        QVERIFY(QApplication::activeModalWidget() == nullptr);

        OnNextModal([](QWidget* d) {
            QCOMPARE(d->windowTitle(), QStringLiteral("Канал 3"));
            d->findChild<QCheckBox*>("CheckBox2")->setChecked(false);
            d->findChild<QLineEdit*>("Edit2")->setText("50");
            d->findChild<QLineEdit*>("Edit1")->setText("-40");
            d->findChild<QCheckBox*>("CheckBox1")->setChecked(true);
            d->findChild<QSpinBox*>("CSpinEdit1")->setValue(3);
            d->findChild<QPushButton*>("Button1")->click();
        });
        w.GRClickAxis(2);
        QVERIFY(settings_.applyAxisToAll);
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(w.chart().valueAxis(c)->range().lower, -40.0);
            QCOMPARE(w.chart().valueAxis(c)->range().upper, 50.0);
            QCOMPARE(w.chart().series(c)->pen().width(), 3);
            QVERIFY(!w.chart().axisAutomatic(c));
        }
        QVERIFY(settings_.G_Auto[0]);   // only channel 3's settings were changed

        // Cancelled later with apply-to-all still set: channel 1's settings go to all six.
        settings_.G_Max[0] = 7.0f;
        settings_.G_Min[0] = -3.0f;
        settings_.G_Auto[0] = false;
        OnNextModal([](QWidget* d) { d->findChild<QPushButton*>("Button2")->click(); });
        w.GRClickAxis(0);
        QCOMPARE(w.chart().valueAxis(5)->range().upper, 7.0);
        QCOMPARE(w.chart().series(5)->pen().width(), 1);
    }

    void zoomFollowsTheBottomAxisAndAutoscaleFitsTheView()
    {
        TFileSave w(nullptr, QString());
        settings_.ampl_noise_sig = 0;
        w.show();
        w.chart().setXRange(0.2, 0.3);   // as the wheel or a drag would
        QCOMPARE(w.view().timeView[0], 0.2);
        QCOMPARE(w.view().timeView[1], 0.3);
        QVERIFY(std::fabs(w.chart().labelIncrement() - 0.01) < 1e-12);
        w.findChild<QPushButton*>("Button5")->click();
        QVERIFY(w.view().localAutoscaleApplied);
        for (int c = 0; c < 6; ++c) {
            double lo = 0, hi = 0;
            LocalExtremes(1000, 0.2, 0.3, w.data().segment.time.data(), w.data().samples()[c].data(), c,
                          w.displayFactors(), lo, hi);
            QCOMPARE(w.view().localMin[c], lo);
            QCOMPARE(w.view().localMax[c], hi);
            QCOMPARE(w.chart().valueAxis(c)->range().lower, lo);
            QCOMPARE(w.chart().valueAxis(c)->range().upper, hi);
        }
        // A redraw in the time view keeps the zoomed range.
        w.RedrawCurrentView();
        QCOMPARE(w.chart().xMinimum(), 0.2);
    }

    void cursorsLockControlsAndFollowDrags()
    {
        TFileSave w(nullptr, QString());
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.findChild<QPushButton*>("Button1")->click();
        QVERIFY(w.cursorsOn());
        QCOMPARE(w.findChild<QPushButton*>("Button1")->text(), QStringLiteral("Снять курсоры"));
        QVERIFY(w.findChild<QLabel*>("Label1")->isVisible() && w.findChild<QLabel*>("Label3")->isVisible());
        QVERIFY(w.findChild<QPushButton*>("Button10")->isVisible());
        QVERIFY(!w.findChild<RadioGroup*>("RadioGroup1")->isEnabled());   // no unit change with cursors on
        QVERIFY(!w.findChild<QWidget*>("GroupBox1")->isEnabled());
        QVERIFY(!w.chart().zoomPanEnabled());
        const int width = w.findChild<QWidget*>("GR")->width();
        QCOMPARE(w.chart().cursorPixel(1), width / 3);
        QCOMPARE(w.chart().cursorPixel(2), 2 * width / 3);
        QVERIFY(w.findChild<QLabel*>("Label1")->text().startsWith(QStringLiteral("t(с)= ")));
        QVERIFY(w.findChild<QLabel*>("Label3")->text().startsWith(QStringLiteral("dt(с)= ")));

        // Both cursors within the tolerance: cursor 2 is taken.
        const int left = w.chart().xPixelStart() + 40;
        w.chart().setCursorPixels(left, left + 3);
        w.GRMouseDown(left + 1);
        const int target = w.chart().xPixelStart() + (w.chart().xPixelEnd() - w.chart().xPixelStart()) / 2;
        w.GRMouseMove(target);
        w.GRMouseMove(w.chart().xPixelEnd() + 5);   // outside the axis: ignored
        w.GRMouseUp();
        QCOMPARE(w.chart().cursorPixel(1), left);
        QCOMPARE(w.chart().cursorPixel(2), target);

        // The readout of cursor 2 reads the first sample past the cursor's x value.
        const double x2 = w.chart().pixelToX(target);
        const auto& t = w.data().segment.time;
        size_t i = 0;
        while (i < t.size() && !(t[i] > x2))
            ++i;
        QVERIFY(i < t.size());
        const QString expected =
            QStringLiteral("t(с)= ") + QString::fromStdString(NumberText(t[i], 1)) + QStringLiteral("; K1=") +
            QString::fromStdString(NumberText(w.data().samples()[0][i] * 0.00263 * 400, 1));
        QVERIFY2(w.findChild<QLabel*>("Label2")->text().startsWith(expected),
                 qPrintable(w.findChild<QLabel*>("Label2")->text() + " / " + expected));

        w.GRMouseMove(left + 100);   // after mouse up: no drag
        QCOMPARE(w.chart().cursorPixel(2), target);

        w.findChild<QPushButton*>("Button1")->click();
        QVERIFY(!w.cursorsOn());
        QCOMPARE(w.findChild<QPushButton*>("Button1")->text(), QStringLiteral("Установить курсоры"));
        QVERIFY(!w.findChild<QLabel*>("Label1")->isVisible() &&
                !w.findChild<QPushButton*>("Button10")->isVisible());
        QVERIFY(w.findChild<RadioGroup*>("RadioGroup1")->isEnabled() && w.chart().zoomPanEnabled());
    }

    void chartResizeSwitchesCursorsOff()
    {
        TFileSave w(nullptr, QString());
        w.resize(1000, 700);
        w.show();
        w.Button1Click();
        QVERIFY(w.cursorsOn());
        w.resize(900, 650);
        QTRY_VERIFY(!w.cursorsOn());
    }

    void closingWritesTheOptions()
    {
        {
            SettingsStore store;
            store.WriteInteger("Sav", "Wind", 2);
            store.WriteBool("Sav", "ch4", true);
            store.WriteInteger("Sav", "porFilter", 4);
        }
        TFileSave w(nullptr, QString());
        QCOMPARE(w.findChild<QComboBox*>("ComboBox4")->currentIndex(), 2);
        QVERIFY(w.options().channels[3]);
        QCOMPARE(w.options().filterOrder, 4);
        OnNextModal([](QWidget* d) {
            auto* self = static_cast<TFileSave*>(d);
            self->findChild<QComboBox*>("ComboBox4")->setCurrentIndex(5);
            self->options().filterFmax = 300;
            self->findChild<QPushButton*>("Button8")->click();
        });
        QCOMPARE(w.exec(), int(QDialog::Rejected));
        SettingsStore store;
        QCOMPARE(store.ReadInteger("Sav", "Wind", -1), 5);
        QCOMPARE(store.ReadInteger("Sav", "FmaxFilter", -1), 300);
        QCOMPARE(store.ReadInteger("Sav", "porFilter", -1), 4);
        QCOMPARE(store.ReadInteger("Sav", "typeFilter", -1), 0);
        QCOMPARE(store.ReadBool("Sav", "ch4", false), true);
        QCOMPARE(store.ReadBool("Sav", "ch1", true), false);
        QCOMPARE(w.data().count(), 0);   // released
    }

    void signalTypeAndBandEditsWriteTheSettings()
    {
        TFileSave w(nullptr, QString());
        w.show();
        QCOMPARE(w.findChild<RadioGroup*>("RadioGroup2")->itemIndex(), 1);   // impuls default
        w.findChild<RadioGroup*>("RadioGroup2")->setItemIndex(0);
        QCOMPARE(settings_.impuls, 0);
        w.findChild<QSpinBox*>("CSpinEdit1")->setValue(20);
        w.findChild<QSpinBox*>("CSpinEdit2")->setValue(80);
        QCOMPARE(settings_.S_Fmin, 20);
        QCOMPARE(settings_.S_Fmax, 80);
        QCOMPARE(w.view().frequencyView[0], 20.0);
        QCOMPARE(w.view().frequencyView[1], 80.0);
    }

    // In English nothing of the window stays Russian: the time view, the spectra with their dB
    // unit, the cursors with their readouts, the intensity curves, and the peak-to-peak report.
    void englishInterfaceLeavesNoRussian()
    {
        QVERIFY(InstallLanguage(UiLanguage::English));
        RecordingPresenter presenter;
        TFileSave w(nullptr, QString());
        w.resize(1000, 700);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.chart().axisTitle(0), QStringLiteral("Channel 1 (Pa)"));
        QStringList left = RussianTexts(&w);
        w.Button6Click();
        QCOMPARE(w.findChild<RadioGroup*>("RadioGroup1")->count(), 3);
        w.findChild<RadioGroup*>("RadioGroup1")->setItemIndex(2);
        w.findChild<QPushButton*>("Button1")->click();
        QVERIFY(w.cursorsOn());
        left << RussianTexts(&w);
        w.findChild<QPushButton*>("Button1")->click();
        w.BitBtn1Click();
        w.Button7Click();
        QVERIFY(w.view().intensityShown);
        left << RussianTexts(&w);
        w.Button11Click();
        QVERIFY(!presenter.messages.empty());
        for (const auto& m : presenter.messages)
            left << QString::fromStdString(m.caption + " | " + m.text);
        static const QRegularExpression cyrillic(QStringLiteral("[\\x{0400}-\\x{04FF}]"));
        left = left.filter(cyrillic);
        left.removeDuplicates();
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TFileSaveTest)
#include "tst_tfilesave.moc"
