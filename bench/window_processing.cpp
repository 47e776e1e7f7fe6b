// Times the processing window on the longest everyday test signal (100 000 Hz for 10 s, six
// channels of 10^6 samples): command to first painted chart, a full redraw, a cursor move, the
// commands to their redrawn charts, and the process's peak memory. Prints the figures; checks
// only that the window drew what was asked, so a figure is never of work left undone.
//
//     QT_QPA_PLATFORM=offscreen build/bench/bench_processing_window
#include "TFileSave.h"

#include "ChartBands.h"
#include "ModalDriver.h"
#include "TMath.h"
#include "ui_TMath.h"
#include "NumberText.h"
#include "ReadWriteMyFile.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <sys/resource.h>

#include <algorithm>

// The longest time the interface thread went without turning its event loop: a timer asks
// every 2 ms, and the largest gap between two of its calls is how long the window was frozen.
class LoopDelayProbe : public QObject {
public:
    LoopDelayProbe()
    {
        timer_.setInterval(2);
        timer_.setTimerType(Qt::PreciseTimer);
        connect(&timer_, &QTimer::timeout, this, [this] { worst_ = std::max(worst_, clock_.restart()); });
    }
    // Runs `command` and then lets the loop turn once more, so the command's last stretch is
    // measured too.
    template <typename Command> qint64 measure(Command command)
    {
        worst_ = 0;
        clock_.start();
        timer_.start();
        command();
        QTest::qWait(5);
        timer_.stop();
        return worst_;
    }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 worst_ = 0;
};

class TFileSaveSpeed : public QObject {
    Q_OBJECT

private slots:
    void longTestSignal()
    {
        QTemporaryDir dir;
        SettingsStore::SetFileName(dir.filePath("store.ini"));
        SetDecimalSeparator(',');
        Settings s = DefaultSettings();
        s.freq_ocifr = 100000;
        s.dlit = 10;
        PublishSettings(&s);
        SetTestSignalFlag(true);

        LoopDelayProbe probe;
        QElapsedTimer clock;
        clock.start();
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1400, 900);
        qint64 firstDraw = 0;
        const qint64 openingFrozen = probe.measure([&] {
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            firstDraw = clock.elapsed();
        });
        QVERIFY(!w.view().firstDrawPending);
        QCOMPARE(w.chart().seriesSampleCount(5), 1000000);

        clock.restart();
        const int redraws = 5;
        for (int i = 0; i < redraws; ++i)
            w.RedrawCurrentView();
        const double redraw = double(clock.elapsed()) / redraws;

        clock.restart();
        for (int i = 0; i < redraws; ++i)
            w.chart().replot();
        const double render = double(clock.elapsed()) / redraws;

        w.Button1Click();
        const int start = w.chart().xPixelStart() + 10;
        w.GRMouseDown(w.chart().cursorPixel(2));
        QElapsedTimer moveClock;
        moveClock.start();
        const int moves = 50;
        for (int i = 0; i < moves; ++i)
            w.GRMouseMove(start + 5 * i);
        const double move = double(moveClock.nsecsElapsed()) / moves / 1e6;
        w.GRMouseUp();
        QCOMPARE(w.chart().cursorPixel(2), start + 5 * (moves - 1));
        w.Button1Click();

        // The commands, each timed to its redrawn chart. The filter dialog is answered at
        // once; its few milliseconds of timer latency are part of the figure.
        OnNextModal(
            [](QWidget* modal) {
                auto* dialog = qobject_cast<TMath*>(modal);
                dialog->Button1Click();
                dialog->form()->ComboBox2->setCurrentIndex(2);
                dialog->form()->CSpinEdit1->setValue(6);
                dialog->form()->CSpinEdit2->setValue(10);
                dialog->form()->CSpinEdit3->setValue(1000);
                dialog->form()->Button2->click();
            },
            10000);
        clock.restart();
        qint64 filtering = 0;
        const qint64 filteringFrozen = probe.measure([&] {
            w.Button4Click();
            filtering = clock.elapsed();
        });
        QVERIFY(w.data().samples()[0] != w.data().segment.channels[0]);
        clock.restart();
        qint64 spectra = 0;
        const qint64 spectraFrozen = probe.measure([&] {
            w.Button6Click();
            spectra = clock.elapsed();
        });
        QVERIFY(w.view().spectrumView);
        const qint64 undoFrozen = probe.measure([&] { w.BitBtn1Click(); });
        clock.restart();
        qint64 intensity = 0;
        const qint64 intensityFrozen = probe.measure([&] {
            w.Button7Click();
            intensity = clock.elapsed();
        });
        const qint64 redrawFrozen = probe.measure([&] { w.RedrawCurrentView(); });
        QCOMPARE(w.chart().seriesSampleCount(0), 500000);

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("test signal 100000 Hz x 10 s: first painted chart %lld ms, full redraw %.1f ms (of which "
              "rendering %.1f ms), "
              "cursor move %.2f ms, peak memory %ld MB",
              static_cast<long long>(firstDraw), redraw, render, move, usage.ru_maxrss / 1024);
        qInfo("commands on 6 x 10^6 samples: filtering (elliptic band-pass, order 6) %lld ms, "
              "\"АЧХ\" %lld ms, \"Интенсивность\" %lld ms, each to the redrawn chart",
              static_cast<long long>(filtering), static_cast<long long>(spectra),
              static_cast<long long>(intensity));
        qInfo("longest time the event loop stood still: opening %lld ms, filtering %lld ms, \"АЧХ\" %lld ms, "
              "undo %lld ms, \"Интенсивность\" %lld ms, redraw of the intensity view %lld ms",
              static_cast<long long>(openingFrozen), static_cast<long long>(filteringFrozen),
              static_cast<long long>(spectraFrozen), static_cast<long long>(undoFrozen),
              static_cast<long long>(intensityFrozen), static_cast<long long>(redrawFrozen));
        // The same samples as a segment file, opened as a user opens a recording.
        const QString segmentName = dir.filePath(QStringLiteral("long.kvnb"));
        {
            TReadWriteMyFile file(QFile::encodeName(segmentName).toStdString());
            const Segment& seg = w.data().segment;
            std::array<const double*, 6> channels{};
            for (int c = 0; c < 6; ++c)
                channels[c] = seg.channels[c].data();
            QVERIFY(!file.OpenForWriting(true));
            QVERIFY(!file.WriteSegment(100000, 10.0, {1, 1, 1, 1, 1, 1}, channels, seg.sampleCount));
            QVERIFY(!file.Close());
        }
        w.reject();
        SetTestSignalFlag(false);
        clock.restart();
        TFileSave opened(nullptr, segmentName);
        opened.setUnitSelection(0);
        opened.resize(1400, 900);
        qint64 segmentDraw = 0;
        const qint64 segmentFrozen = probe.measure([&] {
            opened.show();
            QVERIFY(QTest::qWaitForWindowExposed(&opened));
            segmentDraw = clock.elapsed();
        });
        QCOMPARE(opened.chart().seriesSampleCount(0), 1000000);
        qInfo("segment file of the same samples (48 MB): first painted chart %lld ms, event loop stood "
              "still at most %lld ms",
              static_cast<long long>(segmentDraw), static_cast<long long>(segmentFrozen));
        opened.reject();
        PublishSettings(nullptr);
        SettingsStore::SetFileName(QString());
    }
};

QTEST_MAIN(TFileSaveSpeed)
#include "window_processing.moc"
