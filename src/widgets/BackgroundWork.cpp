#include "BackgroundWork.h"

#include "MessageBox.h"

#include "TS_Wait.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWindow>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <mutex>
#include <string>
#include <vector>
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

namespace {

// While work runs, a message the worker raises (a reader's "file damaged", say) waits here and
// is shown on the interface thread once the work is over, in the order raised; a message of
// the interface thread itself goes straight on. The worker gets the answer a box would give
// to its default button, so it must not ask a question that matters.
class DeferredMessages : public MessagePresenter {
public:
    explicit DeferredMessages(std::thread::id interfaceThread)
        : interfaceThread_(interfaceThread), previous_(SetMessagePresenter(this))
    {
    }
    ~DeferredMessages() override { SetMessagePresenter(previous_); }
    DeferredMessages(const DeferredMessages&) = delete;
    DeferredMessages& operator=(const DeferredMessages&) = delete;

    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        if (std::this_thread::get_id() == interfaceThread_)
            return Forward(kind, caption, text, flags);
        const std::lock_guard<std::mutex> lock(mutex_);
        waiting_.push_back({kind, caption, text, flags});
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

    // After the worker has ended: shows what it raised.
    void ShowWaiting()
    {
        std::vector<Waiting> waiting;
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            waiting.swap(waiting_);
        }
        for (const Waiting& m : waiting)
            Forward(m.kind, m.caption, m.text, m.flags);
    }

private:
    struct Waiting {
        MessageKind kind;
        std::string caption, text;
        int flags;
    };

    int Forward(MessageKind kind, const std::string& caption, const std::string& text, int flags)
    {
        if (previous_)
            return previous_->present(kind, caption, text, flags);
        // The fallback's answers, as SetMessagePresenter(nullptr) gives them.
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }

    std::thread::id interfaceThread_;
    MessagePresenter* previous_;
    std::mutex mutex_;
    std::vector<Waiting> waiting_;
};

}   // namespace

WorkOutcome RunInBackground(TS_Wait* notice, const std::function<void(WorkControl&)>& work)
{
    DeferredMessages messages(std::this_thread::get_id());
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
    messages.ShowWaiting();
    if (failure)
        std::rethrow_exception(failure);
    return control.cancelled() ? WorkOutcome::Cancelled : WorkOutcome::Done;
}
