#include "StderrPresenter.h"

StderrPresenter::StderrPresenter(std::ostream& err)
    : err_(err), previous_(SetMessagePresenter(this))
{
}

StderrPresenter::~StderrPresenter()
{
    SetMessagePresenter(previous_);
}

int StderrPresenter::present(MessageKind kind, const std::string& caption, const std::string& text,
                             int flags)
{
    ++count_;
    if (!muted_) {
        err_ << "sonorix-cli: ";
        if (!file_.empty())
            err_ << file_ << ": ";
        if (kind == MessageKind::Box && !caption.empty())
            err_ << caption << ": ";
        err_ << text << '\n';
    }
    return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}
