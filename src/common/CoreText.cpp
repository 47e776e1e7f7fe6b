#include "CoreText.h"

#include <atomic>

namespace {
std::atomic<CoreTranslator> g_translator{nullptr};
}

void SetCoreTranslator(CoreTranslator translator)
{
    g_translator.store(translator);
}

std::string CoreText(const char* context, const char* source)
{
    const CoreTranslator translator = g_translator.load();
    return translator ? translator(context, source) : std::string(source);
}

std::string FillArgs(std::string_view text, std::initializer_list<std::string_view> args)
{
    std::string out;
    out.reserve(text.size() + 32);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const std::size_t place = static_cast<std::size_t>(next - '1');
        if (text[i] == '%' && next >= '1' && next <= '9' && place < args.size()) {
            out += *(args.begin() + place);
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}
