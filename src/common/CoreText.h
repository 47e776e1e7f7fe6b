// The user's texts of the core layers. The core has no translation system of its own: it names
// each text with CoreText(context, source), which the translation tools collect, and the desktop
// program installs a translator once at start. Without one (the batch tool, the core's tests) a
// text is its Russian source, so every caller sees exactly the texts it saw before.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Marks a text kept in a constant for the translation tools; CoreText(context, constant) then
// translates it where it is shown.
#define SONORIX_TEXT_NOOP(context, source) source

using CoreTranslator = std::string (*)(const char* context, const char* source);

// Installs the translator (nullptr: the Russian sources); set it before any work starts.
void SetCoreTranslator(CoreTranslator translator);

std::string CoreText(const char* context, const char* source);

// The text with %1 … %9 replaced by the arguments in turn. The places are numbered so that a
// translation may put them in its own order.
std::string FillArgs(std::string_view text, std::initializer_list<std::string_view> args);
