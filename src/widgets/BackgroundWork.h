// Long work off the interface thread. RunInBackground returns only when the work is over, as a
// direct call would, so a command reads the same as before; but meanwhile the event loop runs:
// windows repaint, move and resize, and the wait notice shows how far the work is and offers
// "Отмена". The user's input to every other window is held back while the work runs, so
// nothing can close a window or release data the work is using.
//
//     double result = 0;
//     const WorkOutcome outcome = RunInBackground(notice, [&](WorkControl& control) {
//         for (int k = 0; k < 6 && !control.cancelled(); ++k) {
//             ...one channel...
//             control.setProgress((k + 1) / 6.0);
//         }
//     });
//     if (outcome == WorkOutcome::Cancelled) ... leave the window as it was ...
//
// The work runs on another thread: it must not touch widgets; a message it shows through
// ShowMessageBox waits and is shown once the work is over. It reads and writes only the data
// it was given, and checks cancelled() between its steps.
#pragma once

#include <atomic>
#include <functional>

class TS_Wait;

class WorkControl {
public:
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    // How far the work is, 0 ... 1; negative while it cannot tell.
    void setProgress(double fraction) { progress_.store(fraction, std::memory_order_relaxed); }

    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    double progress() const { return progress_.load(std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<double> progress_{-1.0};
};

enum class WorkOutcome {
    Done,        // the work ran to its end
    Cancelled,   // "Отмена" was pressed; the work stopped at a step of its choosing
};

// Runs work on a worker thread and waits for it with the event loop running. notice (may be
// null) shows the progress and the cancel button while it runs. An exception the work throws
// is thrown again here, on the caller's thread.
WorkOutcome RunInBackground(TS_Wait* notice, const std::function<void(WorkControl&)>& work);

// For tests of what a window does while its work runs: called on the worker before each work
// (a pause, say, so that a click can come in between). Empty by default.
void SetBeforeWorkHook(std::function<void()> hook);
