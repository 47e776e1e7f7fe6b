// The settings store's file as another program, an older version or a damaged disk may leave
// it: values the program never writes read as missing (the defaults), nothing in the file can
// make loading allocate more than the file holds, and what the program writes reads back.
#include "Settings.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <fstream>
#include <iterator>
#include <string>

namespace {

class SettingsStoreFile : public testing::Test {
protected:
    SettingsStoreFile()
    {
        path = dir.filePath("Sonorix.ini").toStdString();
        SettingsStore::SetFileName(QString::fromStdString(path));
    }
    ~SettingsStoreFile() override { SettingsStore::SetFileName(QString()); }

    void Put(const std::string& bytes) const { std::ofstream(path, std::ios::binary) << bytes; }
    std::string Contents() const
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QTemporaryDir dir;
    std::string path;
};

struct ForeignStore {
    const char* name;
    std::string bytes;
};

void PrintTo(const ForeignStore& c, std::ostream* os)
{
    *os << c.name;
}

class ForeignStoreFile : public SettingsStoreFile, public testing::WithParamInterface<ForeignStore> {};

}  // namespace

// Every case puts a hostile value under LCADR and NULL_ADC; both must come back as defaults.
TEST_P(ForeignStoreFile, LoadsWithDefaultsInPlaceOfWhatItCannotRead)
{
    Put(GetParam().bytes);
    Settings s;
    LoadSettings(s);
    const Settings def = DefaultSettings();
    EXPECT_EQ(s.LCADR, def.LCADR);
    EXPECT_EQ(s.NULL_ADC, def.NULL_ADC);
    EXPECT_EQ(s.VOLT, def.VOLT);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ForeignStoreFile,
    testing::Values(
        // Found by fuzzing: a serialised list claiming 0x32000000 elements, which the toolkit's
        // own INI reader tried to allocate (26.8 GB) while loading LCADR.
        ForeignStore{"SerialisedListOf800MillionElements",
                     "[Mag]\nLCADR=@Variant(\\0\\0\\0\\t2\\0\\0\\0\\x2)\nG_Max1=\n"
                     "NULL_ADC=n@vIalid()\nFmin=999999\nG_Min1=olor1=@Varit\\0\\0\\0\\0\\x2)\n"
                     "[Sav]\nimpuls=@Size(1 2)\nVOLT=DRec@Invalid()t(1 2 3 4)\nskorost=1e400\n"
                     "[Chs]\nChs1=-1\nChs%32=%5B\n"},
        ForeignStore{"SerialisedStringOfFourGigabytes",
                     "[Mag]\nLCADR=@Variant(\\0\\0\\0\\n\\xff\\xff\\xff\\xfe)\n"
                     "NULL_ADC=@ByteArray(\\xff\\xff\\xff\\xff)\n[Sav]\nVOLT=@Rect(1 2 3 4)\n"},
        ForeignStore{"ListsAndWords",
                     "[Mag]\nLCADR=1, 2\nNULL_ADC=\"abc\"\n[Sav]\nVOLT=0,5\n"},
        ForeignStore{"NotTextAtAll", std::string("\xff\xfe[\0M\0a\0g\0]\0\n\0LCADR=7\n", 21)},
        ForeignStore{"FarTooLarge", "[Mag]\nLCADR=7\nNULL_ADC=7\n" + std::string(2 << 20, ';')}));

TEST_F(SettingsStoreFile, ReadsWhatTheToolkitsOwnFormatWroteAndWritesItBackReadable)
{
    // As the previous store backend wrote it: an existing user's settings keep their values.
    Put("[Chs]\nChs1=4\nChs2=5\nChs3=2\nChs4=3\nChs5=0\nChs6=1\n\n"
        "[Mag]\nChuv5=55.5\nG_Auto2=false\nG_Max1=0.1\nLCADR=3\nNULL_ADC=1000\n\n"
        "[Sav]\nVOLT=0.5\nimpuls=7\nskorost=\"330\"\n\n"
        "[Other%20Program]\nkey%3D1=\"  kept as it is \"\n");
    Settings s;
    LoadSettings(s);
    EXPECT_EQ(s.Chs, (std::array<int32_t, 6>{4, 5, 2, 3, 0, 1}));
    EXPECT_EQ(s.Chuv[0], 55.5);   // slot 1 feeds channel 5
    EXPECT_FALSE(s.G_Auto[1]);
    EXPECT_EQ(s.G_Max[0], 0.1f);
    EXPECT_EQ(s.LCADR, 3);
    EXPECT_EQ(s.NULL_ADC, 1000);
    EXPECT_EQ(s.VOLT, 0.5);
    EXPECT_EQ(s.impuls, 1);
    EXPECT_EQ(s.skorost, 330.0);

    s.VOLT = 0.1 + 0.2;   // a double that needs all its digits
    s.NULL_ADC = -5;
    SaveSettingsDialogKeys(s);
    SaveMainCloseSettings(s);
    Settings again;
    LoadSettings(again);
    EXPECT_EQ(again.VOLT, 0.1 + 0.2);
    EXPECT_EQ(again.NULL_ADC, -5);
    EXPECT_EQ(again.Chuv, s.Chuv);
    // Another program's section survives the program's saves unchanged.
    EXPECT_NE(Contents().find("[Other%20Program]\nkey%3D1=\"  kept as it is \"\n"), std::string::npos)
        << Contents();
}
