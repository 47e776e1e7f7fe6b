// The INI reader and writer on in-memory files: reading as the Windows profile routines do,
// updating one section while every other byte stays, and the code page of Windows files.
#include "IniFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const std::string kWindowsFile = "; calibration of probe \xB9"
                                 "3\r\n"                        // "№3" in Windows-1251
                                 "[\xCF\xF0\xEE\xE1\xE0]\r\n"   // "[Проба]"
                                 "name=\xC7\xE0\xEB 1\r\n"      // "Зал 1"
                                 "\r\n"
                                 "[Ust]\r\n"
                                 "plotnost=1,4\r\n"
                                 "LCADR=3\r\n"
                                 "\r\n"
                                 "[Other]\r\n"
                                 "plotnost=9\r\n";

}   // namespace

TEST(IniFile, ReadsValuesAsTheWindowsProfileRoutinesDo)
{
    const IniFile ini = IniFile::FromBytes("[ust]\n"
                                           "  PLOTNOST  =  1,4  \n"
                                           "; skorost=1\n"
                                           "skorost=340\n"
                                           "skorost=999\n"
                                           "lmic1=\"  0,5 \"\n"
                                           "lmic2='x'\n"
                                           "lmic3=\"\n"
                                           "VOLT=\n"
                                           "no equals sign\n"
                                           "[Ust]\n"
                                           "Chuv1=second section is never read\n");
    EXPECT_EQ(ini.ReadString("Ust", "plotnost"), "1,4");
    EXPECT_EQ(ini.ReadString("Ust", "skorost"), "340");    // the first of two keys
    EXPECT_EQ(ini.ReadString("Ust", "lmic1"), "  0,5 ");   // one pair of quotes removed
    EXPECT_EQ(ini.ReadString("Ust", "lmic2"), "x");
    EXPECT_EQ(ini.ReadString("Ust", "lmic3"), "\"");   // a lone quote is text
    EXPECT_EQ(ini.ReadString("Ust", "VOLT"), "");      // present but empty: not missing
    EXPECT_EQ(ini.ReadString("Ust", "Chuv1"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Ust", "no equals sign"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Sav", "plotnost"), std::nullopt);
    EXPECT_EQ(ini.ReadString("Ust", "Chuv2", "1"), "1");
}

TEST(IniFile, ReadIntegerFallsBackToTheDefaultForAnythingButA32BitInteger)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"50", 50},
        {" -7 ", -7},
        {"+12", 12},
        {"0x1F", 31},
        {"$ff", 255},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483647 - 1},
        {"2147483648", -1},
        {"99999999999999999999", -1},
        {"1,5", -1},
        {"1e3", -1},
        {"", -1},
        {"-", -1},
        {"0x", -1},
        {"12abc", -1},
    };
    for (const Case& c : cases) {
        const IniFile ini = IniFile::FromBytes(std::string("[Ust]\nLCADR=") + c.text + "\n");
        EXPECT_EQ(ini.ReadInteger("Ust", "LCADR", -1), c.expected) << "value \"" << c.text << '"';
    }
    EXPECT_EQ(IniFile().ReadInteger("Ust", "LCADR", 1120), 1120);
}

TEST(IniFile, UpdatingASectionKeepsEveryOtherLineByteForByte)
{
    IniFile ini = IniFile::FromBytes(kWindowsFile);
    EXPECT_EQ(ini.encoding(), IniFile::Encoding::Windows1251);
    EXPECT_EQ(ini.ReadString("Проба", "name"), "Зал 1");
    ini.WriteString("Ust", "plotnost", "1,2");
    ini.WriteString("Ust", "skorost", "340");   // new key: at the end of its own section
    ini.WriteInteger("Ust", "LCADR", 1);
    EXPECT_EQ(ini.ToBytes(), "; calibration of probe \xB9"
                             "3\r\n"
                             "[\xCF\xF0\xEE\xE1\xE0]\r\n"
                             "name=\xC7\xE0\xEB 1\r\n"
                             "\r\n"
                             "[Ust]\r\n"
                             "plotnost=1,2\r\n"
                             "LCADR=1\r\n"
                             "skorost=340\r\n"
                             "\r\n"
                             "[Other]\r\n"
                             "plotnost=9\r\n");
}

TEST(IniFile, AddsAMissingSectionAtTheEndInTheFilesOwnLineEnds)
{
    struct Case {
        const char* name;
        std::string before;
        std::string after;
    };
    const Case cases[] = {
        {"new file: CR LF", "", "[Ust]\r\nVOLT=0,00263\r\n"},
        {"LF file", "[A]\nx=1\n", "[A]\nx=1\n\n[Ust]\nVOLT=0,00263\n"},
        {"no final line end", "[A]\r\nx=1", "[A]\r\nx=1\r\n\r\n[Ust]\r\nVOLT=0,00263\r\n"},
        {"key into a last section without line end", "[Ust]\r\nx=1", "[Ust]\r\nx=1\r\nVOLT=0,00263\r\n"},
    };
    for (const Case& c : cases) {
        IniFile ini = IniFile::FromBytes(c.before);
        ini.WriteString("Ust", "VOLT", "0,00263");
        EXPECT_EQ(ini.ToBytes(), c.after) << c.name;
    }
}

TEST(IniFile, AnyValueReadsBackAsWritten)
{
    // Blanks and quotes at the ends survive by quoting; a line break could start a line of
    // its own (a forged key or section), so it is written as a blank.
    const std::string values[] = {
        "1,4", "", " 1,4", "1,4 ", "\"q\"", "'q'", "a\"b", "=", "[Sav]", "; not a comment", "кириллица"};
    for (const std::string& v : values) {
        IniFile ini;
        ini.WriteString("Ust", "k", v);
        const IniFile again = IniFile::FromBytes(ini.ToBytes());
        EXPECT_EQ(again.ReadString("Ust", "k"), v) << "value \"" << v << '"';
    }
    IniFile ini;
    ini.WriteString("Ust", "k", "1\r\n[Sav]\nplotnost=0");
    const IniFile again = IniFile::FromBytes(ini.ToBytes());
    EXPECT_EQ(again.ReadString("Ust", "k"), "1  [Sav] plotnost=0");
    EXPECT_EQ(again.ReadString("Sav", "plotnost"), std::nullopt);
}

TEST(IniFile, KeepsTheEncodingItWasReadIn)
{
    const std::string utf8 = "[Ust]\nname=Зал\n";
    IniFile u = IniFile::FromBytes(utf8);
    EXPECT_EQ(u.encoding(), IniFile::Encoding::Utf8);
    u.WriteString("Ust", "x", "ё");
    EXPECT_EQ(u.ToBytes(), utf8 + "x=ё\n");

    IniFile bom = IniFile::FromBytes("\xEF\xBB\xBF[Ust]\nname=Зал\n");
    EXPECT_EQ(bom.encoding(), IniFile::Encoding::Utf8WithBom);
    EXPECT_EQ(bom.ReadString("Ust", "name"), "Зал");
    EXPECT_EQ(bom.ToBytes(), "\xEF\xBB\xBF[Ust]\nname=Зал\n");

    // New files are in the Windows code page, where a character it lacks cannot be kept.
    IniFile fresh;
    fresh.WriteString("Ust", "name", "Зал №1 €");
    EXPECT_EQ(fresh.ToBytes(), "[Ust]\r\nname=\xC7\xE0\xEB \xB9"
                               "1 \x88\r\n");
    fresh.WriteString("Ust", "name", "日本");
    EXPECT_EQ(fresh.ToBytes(), "[Ust]\r\nname=??\r\n");
}

TEST(IniFile, Windows1251CodePageRoundTripsEveryByte)
{
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string text = Windows1251ToUtf8(all);
    EXPECT_TRUE(IsValidUtf8(text));
    EXPECT_EQ(Utf8ToWindows1251(text), all);
    EXPECT_EQ(Windows1251ToUtf8("\xC0\xFF\xA8\xB8\xB9"), "АяЁё№");
}

TEST(IniFile, Utf8CheckRejectsMalformedSequences)
{
    EXPECT_TRUE(IsValidUtf8("plain"));
    EXPECT_TRUE(IsValidUtf8("Зал \xF0\x9F\x98\x80"));
    const std::string bad[] = {"\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                               "\xD0",     "\x80",         "\xCF\xF0\xEE"};
    for (const std::string& b : bad)
        EXPECT_FALSE(IsValidUtf8(b));
}
