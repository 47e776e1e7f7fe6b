#include "BackgroundWork.h"

#include "TS_Wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWindow>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

namespace {

// How often the notice's bar follows the work: often enough to look alive, rarely enough to
// cost nothing.
constexpr int kProgressIntervalMs = 100;

// Holds back the user's input to every window but the notice while the work runs: clicks,
// keys, the wheel and the window system's close requests are dropped, so nothing can start a
// second command or close a window whose data the work is using. Repaints, moves and resizes
// go on. (Making the notice modal would do the same, but a modal notice would be taken for the
// command's own dialog by anything that waits for one.)
class InputHold : public QObject {
public:
    explicit InputHold(TS_Wait* notice) : notice_(notice)
    {
        QCoreApplication::instance()->installEventFilter(this);
    }
    ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::Wheel:
        case QEvent::Shortcut:
        case QEvent::ShortcutOverride:
            return !belongsToNotice(watched);
        case QEvent::Close:
            return event->spontaneous();   // the window system's close button
        default:
            return false;
        }
    }

private:
    bool belongsToNotice(QObject* watched) const
    {
        if (notice_ == nullptr)
            return false;
        for (QObject* o = watched; o != nullptr; o = o->parent())
            if (o == notice_)
                return true;
        // The notice's own window (a QWindow, not a widget) receives the raw input first.
        const auto* widget = qobject_cast<const QWidget*>(notice_);
        return widget->windowHandle() != nullptr && watched == widget->windowHandle();
    }

    TS_Wait* notice_;
};

std::function<void()>& BeforeWorkHook()
{
    static std::function<void()> hook;
    return hook;
}

}   // namespace

void SetBeforeWorkHook(std::function<void()> hook)
{
    BeforeWorkHook() = std::move(hook);
}

WorkOutcome RunInBackground(TS_Wait* notice, const std::function<void(WorkControl&)>& work)
{
    WorkControl control;
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};

    const InputHold hold(notice);
    if (notice != nullptr) {
        notice->showProgress(-1.0);
        notice->offerCancel([&control] { control.cancel(); });
    }
    QTimer progress;
    progress.setInterval(kProgressIntervalMs);
    QObject::connect(&progress, &QTimer::timeout, &loop, [&] {
        if (notice != nullptr)
            notice->showProgress(control.progress());
        if (finished.load())
            loop.quit();
    });

    const std::function<void()> before = BeforeWorkHook();
    std::thread worker([&] {
        try {
            if (before)
                before();
            work(control);
        } catch (...) {
            failure = std::current_exception();
        }
        finished.store(true);
        // Wakes the loop at once rather than at the next tick of the progress timer.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    progress.start();
    // A quit posted before the loop started is delivered when it starts, and the timer
    // catches any other way of missing it.
    while (!finished.load())
        loop.exec();
    worker.join();
    progress.stop();
    if (failure)
        std::rethrow_exception(failure);
    return control.cancelled() ? WorkOutcome::Cancelled : WorkOutcome::Done;
}
