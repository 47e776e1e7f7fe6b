// Work off the interface thread: the caller waits as for a direct call while the event loop
// keeps running, the notice's "Отмена" stops the work at its next step, other windows take no
// input meanwhile, and a failure of the work reaches the caller.
#include "BackgroundWork.h"
#include "MessageBox.h"
#include "RecordingPresenter.h"
#include "TS_Wait.h"

#include <QApplication>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QtTest>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

class TestBackgroundWork : public QObject {
    Q_OBJECT
private slots:
    void workRunsElsewhereWhileTheLoopRuns()
    {
        TS_Wait notice(nullptr);
        notice.setText(QStringLiteral("Вычисление"));
        notice.showAndPaint();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        // A click on another window during the work is held back.
        QPushButton other(QStringLiteral("Другое"));
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        int otherClicks = 0;
        connect(&other, &QPushButton::clicked, [&] { ++otherClicks; });
        QTimer::singleShot(50, [&] { QTest::mouseClick(&other, Qt::LeftButton); });
        Qt::HANDLE workThread = nullptr;
        int result = 0;
        const WorkOutcome outcome = RunInBackground(&notice, [&](WorkControl& control) {
            workThread = QThread::currentThreadId();
            for (int step = 0; step < 30; ++step) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
                control.setProgress((step + 1) / 30.0);
            }
            result = 42;
        });
        QCOMPARE(outcome, WorkOutcome::Done);
        QCOMPARE(result, 42);
        QVERIFY(workThread != QThread::currentThreadId());
        QVERIFY2(ticks >= 10, "the event loop stood still while the work ran");
        QCOMPARE(otherClicks, 0);
        QTest::mouseClick(&other, Qt::LeftButton);   // and taken again afterwards
        QCOMPARE(otherClicks, 1);
    }

    void cancelStopsTheWorkAtItsNextStep()
    {
        TS_Wait notice(nullptr);
        notice.showAndPaint();
        QTimer::singleShot(50, [&] {
            QVERIFY(notice.cancelOffered());
            notice.findChild<QPushButton*>("CancelButton")->click();
        });
        std::atomic<int> steps{0};
        const WorkOutcome outcome = RunInBackground(&notice, [&](WorkControl& control) {
            while (!control.cancelled() && steps < 10000) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                ++steps;
            }
        });
        QCOMPARE(outcome, WorkOutcome::Cancelled);
        QVERIFY(steps < 10000);
    }

    void failureReachesTheCaller()
    {
        bool caught = false;
        try {
            RunInBackground(nullptr, [](WorkControl&) { throw std::runtime_error("no memory"); });
        } catch (const std::runtime_error& e) {
            caught = QString::fromLatin1(e.what()) == QLatin1String("no memory");
        }
        QVERIFY(caught);
        // Quick work without a notice returns at once.
        int value = 0;
        QCOMPARE(RunInBackground(nullptr, [&](WorkControl&) { value = 1; }), WorkOutcome::Done);
        QCOMPARE(value, 1);
    }

    // A message the work raises waits for the work's end and is then shown on the interface
    // thread, in order; a question gets the default button's answer.
    void messagesOfTheWorkAreShownAfterIt()
    {
        struct ThreadRecorder : RecordingPresenter {
            std::vector<bool> onInterfaceThread;
            int present(MessageKind kind, const std::string& caption, const std::string& text,
                        int flags) override
            {
                onInterfaceThread.push_back(QThread::currentThread() == qApp->thread());
                return RecordingPresenter::present(kind, caption, text, flags);
            }
        } recorder;
        std::atomic<int> shownDuringWork{-1};
        int answer = 0;
        RunInBackground(nullptr, [&](WorkControl&) {
            ShowMessageBox("ВНИМАНИЕ", "first", MB_OK);
            answer = ShowMessageBox("Вопрос", "second", MB_YESNO);
            shownDuringWork = static_cast<int>(recorder.messages.size());
        });
        QCOMPARE(shownDuringWork.load(), 0);
        QCOMPARE(answer, int(IDNO));
        QCOMPARE(recorder.messages.size(), size_t(2));
        QCOMPARE(recorder.messages[0].text, std::string("first"));
        QCOMPARE(recorder.messages[1].text, std::string("second"));
        QCOMPARE(recorder.onInterfaceThread, (std::vector<bool>{true, true}));
        ShowMessageBox("ВНИМАНИЕ", "after", MB_OK);   // the presenter is back
        QCOMPARE(recorder.messages.size(), size_t(3));
    }
};

QTEST_MAIN(TestBackgroundWork)
#include "tst_background_work.moc"
