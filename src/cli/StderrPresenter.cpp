#include "StderrPresenter.h"

#include "CliLanguage.h"
#include "CliSupport.h"

StderrPresenter::StderrPresenter(std::ostream& err) : err_(err), previous_(SetMessagePresenter(this)) {}

StderrPresenter::~StderrPresenter()
{
    SetMessagePresenter(previous_);
}

int StderrPresenter::present(MessageKind kind, const std::string& caption, const std::string& text, int flags)
{
    ++count_;
    const bool systemError = kind == MessageKind::Box && caption == "GetLastError";
    if (capturing_) {
        if (!captured_.empty())
            captured_ += "; ";
        captured_ += text;
    } else if (!muted_) {
        endProgressLine();
        // A file name or a text from a file reaches a terminal: its control characters are escaped.
        err_ << "sonorix-cli: ";
        if (!file_.empty())
            err_ << PrintableText(file_) << ": ";
        if (systemError)
            err_ << LocalizedMessage(systemAction_) << ": ";
        else if (kind == MessageKind::Box && !caption.empty())
            err_ << LocalizedMessage(caption) << ": ";
        err_ << PrintableText(LocalizedMessage(text), true) << '\n';
    }
    return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
}

void StderrPresenter::startCapture()
{
    captured_.clear();
    capturing_ = true;
}

std::string StderrPresenter::takeCaptured()
{
    capturing_ = false;
    std::string text;
    text.swap(captured_);
    return text;
}

void StderrPresenter::endProgressLine()
{
    if (progressShown_)
        err_ << "\r\033[K" << std::flush;
    progressShown_ = false;
}
