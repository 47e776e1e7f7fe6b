// Measures the processing window on the longest everyday test signal (100 000 Hz for 10 s,
// six channels of 10^6 samples): command to first painted chart, a full redraw, a cursor
// move and the process's peak memory. Prints the figures; asserts only on what was drawn.
#include "TFileSave.h"

#include "ChartBands.h"
#include "NumberText.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <qcustomplot.h>

#include <sys/resource.h>

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

        QElapsedTimer clock;
        clock.start();
        TFileSave w(nullptr, QString());
        w.setUnitSelection(0);
        w.resize(1400, 900);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const qint64 firstDraw = clock.elapsed();
        QVERIFY(!w.view().firstDrawPending);
        QCOMPARE(w.chart().series(5)->data()->size(), 1000000);

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

        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        qInfo("test signal 100000 Hz x 10 s: first painted chart %lld ms, full redraw %.1f ms (of which rendering %.1f ms), "
              "cursor move %.2f ms, peak memory %ld MB",
              static_cast<long long>(firstDraw), redraw, render, move, usage.ru_maxrss / 1024);
        w.reject();
        PublishSettings(nullptr);
        SettingsStore::SetFileName(QString());
    }
};

QTEST_MAIN(TFileSaveSpeed)
#include "tst_tfilesave_speed.moc"
