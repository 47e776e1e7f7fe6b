// Keeps a result window whole while one of its commands waits in an event loop (a modal
// dialog, a message box): a close asked for meanwhile (Esc, the title-bar button, a queued
// reject, the processing window closing its children) is remembered and carried out when the
// command has finished, never in its middle.
//
//     void TTabl::done(int result)
//     {
//         if (pendingClose_.Defer(result))
//             return;
//         QDialog::done(result);
//     }
//     void TTabl::Button2Click()
//     {
//         const CommandScope command(this, pendingClose_);
//         ... SD->exec() ...
//         if (!command.windowAlive())
//             return;   // destroyed meanwhile: touch nothing of it
//     }
#pragma once

#include <QDialog>
#include <QPointer>

class PendingClose {
public:
    bool commandRunning() const { return depth_ > 0; }
    // For done(): true while a command runs, with the close remembered (the last result asked
    // for wins); done() then returns without closing.
    bool Defer(int result);

private:
    friend class CommandScope;
    int depth_ = 0;
    bool pending_ = false;
    int result_ = QDialog::Rejected;
};

// One command of a dialog; commands may nest. When the outermost one ends, a close asked for
// during it is carried out through the dialog's done().
class CommandScope {
public:
    CommandScope(QDialog* dialog, PendingClose& pendingClose);
    ~CommandScope();
    CommandScope(const CommandScope&) = delete;
    CommandScope& operator=(const CommandScope&) = delete;

    // False once the dialog has been destroyed during the command (with its children, its
    // members and the PendingClose): the command must then return without touching any of them.
    bool windowAlive() const { return !dialog_.isNull(); }

private:
    QPointer<QDialog> dialog_;
    PendingClose* pendingClose_;
};
