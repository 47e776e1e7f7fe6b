#include "BackgroundWork.h"

#include "TS_Wait.h"

#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <thread>

namespace {

// How often the notice's bar follows the work: often enough to look alive, rarely enough to
// cost nothing.
constexpr int kProgressIntervalMs = 100;

// Holds back input to every window but the notice while the work runs, by making the notice
// application-modal; a notice that was not modal before becomes so again afterwards.
class ModalNotice {
public:
    explicit ModalNotice(TS_Wait* notice) : notice_(notice)
    {
        if (notice_ == nullptr)
            return;
        previous_ = notice_->windowModality();
        setModality(Qt::ApplicationModal);
    }
    ~ModalNotice()
    {
        if (notice_ != nullptr)
            setModality(previous_);
    }
    ModalNotice(const ModalNotice&) = delete;
    ModalNotice& operator=(const ModalNotice&) = delete;

private:
    void setModality(Qt::WindowModality modality)
    {
        const bool visible = notice_->isVisible();
        if (visible)
            notice_->hide();   // modality takes effect when a window is shown
        notice_->setWindowModality(modality);
        if (visible)
            notice_->show();
    }

    TS_Wait* notice_;
    Qt::WindowModality previous_ = Qt::NonModal;
};

}   // namespace

WorkOutcome RunInBackground(TS_Wait* notice, const std::function<void(WorkControl&)>& work)
{
    WorkControl control;
    QEventLoop loop;
    std::exception_ptr failure;
    std::atomic<bool> finished{false};

    const ModalNotice modal(notice);
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

    std::thread worker([&] {
        try {
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
