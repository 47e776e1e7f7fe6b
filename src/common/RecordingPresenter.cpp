#include "RecordingPresenter.h"

RecordingPresenter::RecordingPresenter() : previous_(SetMessagePresenter(this)) {}

RecordingPresenter::~RecordingPresenter()
{
    SetMessagePresenter(previous_);
}

int RecordingPresenter::present(MessageKind kind, const std::string& caption, const std::string& text,
                                int flags)
{
    messages.push_back({kind, caption, text, flags});
    if (!answers.empty()) {
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    return defaultAnswer;
}
