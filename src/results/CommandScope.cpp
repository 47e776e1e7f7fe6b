#include "CommandScope.h"

bool PendingClose::Defer(int result)
{
    if (depth_ == 0)
        return false;
    pending_ = true;
    result_ = result;
    return true;
}

CommandScope::CommandScope(QDialog* dialog, PendingClose& pendingClose)
    : dialog_(dialog), pendingClose_(&pendingClose)
{
    ++pendingClose_->depth_;
}

CommandScope::~CommandScope()
{
    // A destroyed dialog took its PendingClose with it.
    if (!dialog_)
        return;
    if (--pendingClose_->depth_ > 0 || !pendingClose_->pending_)
        return;
    pendingClose_->pending_ = false;
    dialog_->done(pendingClose_->result_);
}
