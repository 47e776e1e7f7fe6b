// The settings store's file as another program, an older version or a damaged disk may leave
// it: values the program never writes read as missing (the defaults), nothing in the file can
// make loading allocate more than the file holds, and what the program writes reads back.
// A file it cannot read fully is never written over; impossible constants are refused one by
// one; sensitivities stay with their channels whatever the channel order.
#include "Settings.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <QDate>
#include <QFile>

#include <algorithm>
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
    std::string Contents() const { return ContentsOf(path); }
    static std::string ContentsOf(const std::string& file)
    {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every save the program makes, with a record that differs from the defaults.
    static void SaveEverything()
    {
        Settings s = DefaultSettings();
        s.NULL_ADC = 2000;
        s.Chs = {1, 0, 2, 3, 4, 5};
        SaveMainCloseSettings(s);
        SaveSettingsDialogKeys(s);
        SaveChannelOrderKeys(s);
        SaveChartAppearance(s, 0);
        SettingsStore().WriteInteger("D3D", "tgrad", 5);
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

}   // namespace

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
        ForeignStore{"ListsAndWords", "[Mag]\nLCADR=1, 2\nNULL_ADC=\"abc\"\n[Sav]\nVOLT=0,5\n"},
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
    const StoreLoadReport report = LoadSettings(s);
    EXPECT_TRUE(report.unreadable.isEmpty());
    EXPECT_TRUE(report.refused.empty());
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
    s.NULL_ADC = 0;       // the lowest code the recording format has
    SaveSettingsDialogKeys(s);
    SaveMainCloseSettings(s);
    Settings again;
    LoadSettings(again);
    EXPECT_EQ(again.VOLT, 0.1 + 0.2);
    EXPECT_EQ(again.NULL_ADC, 0);
    EXPECT_EQ(again.Chuv, s.Chuv);
    // Another program's section survives the program's saves unchanged.
    EXPECT_NE(Contents().find("[Other%20Program]\nkey%3D1=\"  kept as it is \"\n"), std::string::npos)
        << Contents();
}

namespace {

struct UnreadableStore {
    const char* name;
    std::string bytes;
};

void PrintTo(const UnreadableStore& c, std::ostream* os)
{
    *os << c.name;
}

class UnreadableStoreFile : public SettingsStoreFile, public testing::WithParamInterface<UnreadableStore> {};

std::string manyKeys()
{
    std::string keys;
    for (int i = 0; i < 30000; ++i)
        keys += "another_programs_key_" + std::to_string(i) + "=value " + std::to_string(i) + "\n";
    return keys;
}

}   // namespace

// Loading and saving as the batch tool does (no start-up): the file stays as it was, byte for
// byte, and the load says why it read nothing. At start-up the file is renamed aside instead,
// and the program's saves then go to a new file beside it.
TEST_P(UnreadableStoreFile, IsNeverWrittenOverAndIsKeptAsideAtStartUp)
{
    const std::string original = GetParam().bytes;
    Put(original);
    Settings s;
    const StoreLoadReport report = LoadSettings(s);
    EXPECT_FALSE(report.unreadable.isEmpty());
    EXPECT_EQ(s.NULL_ADC, DefaultSettings().NULL_ADC);
    SaveEverything();
    ASSERT_EQ(Contents(), original);

    const std::optional<KeptStore> kept = KeepUnreadableStoreAside(QDate(2024, 3, 5));
    ASSERT_TRUE(kept.has_value());
    EXPECT_EQ(kept->keptAs.toStdString(), path + ".unreadable-2024-03-05");
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    const StoreLoadReport fresh = LoadSettings(s);
    EXPECT_TRUE(fresh.unreadable.isEmpty());
    SaveEverything();
    EXPECT_EQ(ContentsOf(kept->keptAs.toStdString()), original);
    Settings saved;
    LoadSettings(saved);
    EXPECT_EQ(saved.NULL_ADC, 2000);

    // The user is told what happened and where the old file is.
    const std::string message = StoreStartMessage(kept, fresh);
    EXPECT_NE(message.find("не удалось прочитать"), std::string::npos) << message;
    EXPECT_NE(message.find(kept->keptAs.toStdString()), std::string::npos) << message;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnreadableStoreFile,
    testing::Values(
        UnreadableStore{"UsersKeysThenThirtyThousandOthers", "[Mag]\nNULL_ADC=1000\n[Other]\n" + manyKeys()},
        UnreadableStore{"TruncatedInAKey", "[Mag]\nNULL_ADC=1000\nLCA"},
        UnreadableStore{"TruncatedInAHeader", "[Mag]\nNULL_ADC=1000\n[Sa"},
        UnreadableStore{"RandomBytes", std::string("\x8f\x01\xc3\x00\x7f\xfe\x10\x99 [Mag]=", 15)},
        UnreadableStore{"NotUtf8", "[Mag]\nNULL_ADC=1000\n; \xcd\xf3\xeb\xfc \xc0\xd6\xcf\n"},
        UnreadableStore{"BinaryByteInAValue", std::string("[Mag]\nNULL_ADC=1000\x01\n")}));

TEST_F(SettingsStoreFile, AnEarlierKeptStoreIsNeverReplaced)
{
    Put("first\n");
    const auto first = KeepUnreadableStoreAside(QDate(2024, 3, 5));
    Put("second\n");
    const auto second = KeepUnreadableStoreAside(QDate(2024, 3, 5));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->keptAs.toStdString(), path + ".unreadable-2024-03-05-2");
    EXPECT_EQ(ContentsOf(first->keptAs.toStdString()), "first\n");
    EXPECT_EQ(ContentsOf(second->keptAs.toStdString()), "second\n");
    // A store that reads, or none at all, is left where it is.
    Put("[Mag]\nNULL_ADC=1000\n; a comment\n\n[Any]\nunknown=key\n");
    EXPECT_FALSE(KeepUnreadableStoreAside(QDate(2024, 3, 5)).has_value());
    QFile::remove(QString::fromStdString(path));
    EXPECT_FALSE(KeepUnreadableStoreAside(QDate(2024, 3, 5)).has_value());
}

TEST_F(SettingsStoreFile, ImpossibleConstantsAreRefusedOneByOneAndNamed)
{
    // Slots 1 and 2 swapped: record element 0 is filed under Chuv2, element 1 under Chuv1.
    Put("[Chs]\nChs1=1\nChs2=0\n"
        "[Mag]\nNULL_ADC=99999\nChuv1=0\nChuv2=12.5\nChuv3=-inf\nLCADR=3\n"
        "[Sav]\nVOLT=nan\nplotnost=-1.2\nskorost=abc\nlmic1=0.25\nlmic2=0\nlmic3=1e-320\n");
    Settings s;
    const StoreLoadReport report = LoadSettings(s);
    const Settings def = DefaultSettings();
    EXPECT_TRUE(report.unreadable.isEmpty());
    EXPECT_EQ(report.refused, (std::vector<std::string>{"VOLT", "NULL_ADC", "plotnost", "skorost", "lmic2",
                                                        "lmic3", "Chuv1", "Chuv3"}));
    EXPECT_EQ(s.VOLT, def.VOLT);
    EXPECT_EQ(s.NULL_ADC, def.NULL_ADC);
    EXPECT_EQ(s.plotnost, def.plotnost);
    EXPECT_EQ(s.skorost, def.skorost);
    EXPECT_EQ(s.lmic, (std::array<double, 3>{0.25, def.lmic[1], def.lmic[2]}));
    EXPECT_EQ(s.Chuv, (std::array<double, 6>{12.5, def.Chuv[1], def.Chuv[2], 1, 1, 1}));
    EXPECT_EQ(s.LCADR, 3);   // the keys around them read as ever

    const std::string message = StoreStartMessage(std::nullopt, report);
    EXPECT_NE(message.find("VOLT, NULL_ADC, plotnost, skorost, lmic2, lmic3, Chuv1, Chuv3"),
              std::string::npos)
        << message;
    EXPECT_EQ(StoreStartMessage(std::nullopt, StoreLoadReport{}), "");
}

TEST_F(SettingsStoreFile, AChannelOrderThatIsNoPermutationGivesWayToTheDefault)
{
    Put("[Chs]\nChs1=-1\nChs2=0\nChs3=9\n[Mag]\nChuv1=11\nChuv2=22\n");
    Settings s;
    const StoreLoadReport report = LoadSettings(s);
    EXPECT_EQ(s.Chs, DefaultSettings().Chs);
    EXPECT_EQ(report.refused, (std::vector<std::string>{"Chs1", "Chs2", "Chs3"}));
    EXPECT_EQ(s.Chuv[0], 11.0);
    EXPECT_EQ(s.Chuv[1], 22.0);
}

// Every element keeps the sensitivity the user entered for it, through any sequence of
// channel-order changes, each saved and loaded again as at a restart.
TEST_F(SettingsStoreFile, SensitivitiesStayWithTheirChannelsThroughOrderChanges)
{
    Settings s = DefaultSettings();
    s.Chuv = {10, 20, 30, 40, 50, 60};
    SaveSettingsDialogKeys(s);
    const std::array<std::array<int32_t, 6>, 4> orders{
        {{1, 0, 2, 3, 4, 5}, {4, 5, 2, 3, 0, 1}, {2, 0, 1, 5, 3, 4}, {0, 1, 2, 3, 4, 5}}};
    for (const auto& order : orders) {
        s.Chs = order;
        SaveChannelOrderKeys(s);
        Settings loaded;
        LoadSettings(loaded);
        EXPECT_EQ(loaded.Chs, order);
        EXPECT_EQ(loaded.Chuv, s.Chuv);
        s = loaded;
    }
}

// Found by fuzzing: a foreign top-level key "x/" was written back as a line "=1" under [x],
// and the program's own save then made the user's store one it refuses.
TEST_F(SettingsStoreFile, TheProgramsOwnSaveAlwaysReadsBack)
{
    Put("x/=1\n[Mag]\nLCADR=3\n");
    SaveEverything();
    Settings s;
    EXPECT_TRUE(LoadSettings(s).unreadable.isEmpty()) << Contents();
    EXPECT_EQ(s.NULL_ADC, 2000);
}

// Intensity by the microphones' sensitivities is off in a store that never heard of it (every
// earlier store), and the settings dialog's save keeps whichever way the user set it; a value
// that is no flag reads as the default.
TEST_F(SettingsStoreFile, IntensityBySensitivitiesIsOffUntilTheUserTurnsItOn)
{
    Put("[Sav]\nimpuls=0\n");
    Settings s;
    LoadSettings(s);
    EXPECT_FALSE(s.I_PO_CHUV);
    for (bool on : {true, false}) {
        s.I_PO_CHUV = on;
        SaveSettingsDialogKeys(s);
        Settings loaded;
        LoadSettings(loaded);
        EXPECT_EQ(loaded.I_PO_CHUV, on);
        EXPECT_EQ(loaded.impuls, 0);
    }
    Put("[Sav]\nI_PO_CHUV=maybe\n");
    LoadSettings(s);
    EXPECT_FALSE(s.I_PO_CHUV);
}
