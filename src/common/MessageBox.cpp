#include "MessageBox.h"

#include "CoreText.h"

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

namespace {
// The captions the program's messages use, for the translation tools; a caption is translated
// here, so that every caller's message box speaks the interface's language.
[[maybe_unused]] constexpr const char* kCaptions[] = {
    SONORIX_TEXT_NOOP("MessageBox", "ВНИМАНИЕ"), SONORIX_TEXT_NOOP("MessageBox", "Внимание"),
    SONORIX_TEXT_NOOP("MessageBox", "Внимание!"), SONORIX_TEXT_NOOP("MessageBox", "Ошибка"),
    SONORIX_TEXT_NOOP("MessageBox", "ОШИБКА"),    SONORIX_TEXT_NOOP("MessageBox", "Вычисление пик - пик"),
};
}   // namespace

int ShowMessageBox(const std::string& caption, const std::string& text, int flags)
{
    if (MessagePresenter* p = g_presenter.load())
        return p->present(MessageKind::Box, CoreText("MessageBox", caption.c_str()), text, flags);
    return fallbackAnswer(flags);
}

void ShowPlainMessage(const std::string& text)
{
    if (MessagePresenter* p = g_presenter.load())
        p->present(MessageKind::Plain, "Sonorix", text, MB_OK);
}
