#include "CoreText.h"

#include <gtest/gtest.h>

#include <cstring>

TEST(CoreText, FillsNumberedPlacesOnceInAnyOrder)
{
    struct Case {
        const char* text;
        std::initializer_list<std::string_view> args;
        const char* expected;
    };
    const Case cases[] = {
        {"В файле %1 %2 канал(а)", {"a.wav", "2"}, "В файле a.wav 2 канал(а)"},
        {"%2 channels in %1", {"a.wav", "2"}, "2 channels in a.wav"},
        // An argument that itself holds a place is not filled again.
        {"%1 and %2", {"%2", "x"}, "%2 and x"},
        // A place without an argument, a lone % and 100 % stay as written.
        {"%3 %", {"a"}, "%3 %"},
        {"100 %1", {"%"}, "100 %"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FillArgs(c.text, c.args), c.expected) << c.text;
}

TEST(CoreText, SourceWithoutATranslatorAndTheTranslationWithOne)
{
    EXPECT_EQ(CoreText("Test", "Ошибка"), "Ошибка");
    SetCoreTranslator([](const char* context, const char* source) {
        return std::strcmp(context, "Test") == 0 && std::strcmp(source, "Ошибка") == 0 ? std::string("Error")
                                                                                       : std::string(source);
    });
    EXPECT_EQ(CoreText("Test", "Ошибка"), "Error");
    EXPECT_EQ(CoreText("Other", "Ошибка"), "Ошибка");
    SetCoreTranslator(nullptr);
    EXPECT_EQ(CoreText("Test", "Ошибка"), "Ошибка");
}
