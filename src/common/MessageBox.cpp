#include "MessageBox.h"

#include <atomic>

namespace {
std::atomic<MessagePresenter*> g_presenter{nullptr};

int fallbackAnswer(int flags)
{
    return (flags & 0xF) == MB_YESNO ? IDNO : (flags & 0xF) == MB_OKCANCEL ? IDCANCEL : IDOK;
}
}   // namespace

MessagePresenter* SetMessagePresenter(MessagePresenter* presenter)
{
    return g_presenter.exchange(presenter);
}

int ShowMessageBox(const std::string& caption, const std::string& text, int flags)
{
    if (MessagePresenter* p = g_presenter.load())
        return p->present(MessageKind::Box, caption, text, flags);
    return fallbackAnswer(flags);
}

void ShowPlainMessage(const std::string& text)
{
    if (MessagePresenter* p = g_presenter.load())
        p->present(MessageKind::Plain, "Sonorix", text, MB_OK);
}
