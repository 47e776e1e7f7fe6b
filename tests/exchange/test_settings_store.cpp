// The settings store's file as another program, an older version or a damaged disk may leave
// it: values the program never writes read as missing (the defaults), nothing in the file can
// make loading allocate more than the file holds, and what the program writes reads back.
// A file it cannot read fully is never written over; impossible constants are refused one by
// one; sensitivities stay with their channels whatever the channel order.
#include "Recording.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>

#include <QDate>
#include <QFile>
#include <QLockFile>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <functional>
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
        (void)SaveMainCloseSettings(s);
        (void)SaveSettingsDialogKeys(s);
        (void)SaveChannelOrderKeys(s);
        (void)SaveChartAppearance(s, 0);
        SettingsStore().WriteInteger("D3D", "tgrad", 5);
    }
    // Every save the program makes, each with its status.
    static std::vector<StoreStatus> SaveEachWithItsStatus()
    {
        Settings s = DefaultSettings();
        s.NULL_ADC = 2000;
        SettingsStore extra;
        extra.WriteInteger("D3D", "tgrad", 5);
        return {SaveMainCloseSettings(s),
                SaveSettingsDialogKeys(s),
                SaveChannelOrderKeys(s),
                SaveChartAppearance(s, 0),
                SaveMicrophoneSensitivities({{1, 42.0}}),
                extra.Save()};
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
    ASSERT_TRUE(SaveSettingsDialogKeys(s).ok());
    ASSERT_TRUE(SaveMainCloseSettings(s).ok());
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
    ASSERT_TRUE(SaveSettingsDialogKeys(s).ok());
    const std::array<std::array<int32_t, 6>, 4> orders{
        {{1, 0, 2, 3, 4, 5}, {4, 5, 2, 3, 0, 1}, {2, 0, 1, 5, 3, 4}, {0, 1, 2, 3, 4, 5}}};
    for (const auto& order : orders) {
        s.Chs = order;
        ASSERT_TRUE(SaveChannelOrderKeys(s).ok());
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
        ASSERT_TRUE(SaveSettingsDialogKeys(s).ok());
        Settings loaded;
        LoadSettings(loaded);
        EXPECT_EQ(loaded.I_PO_CHUV, on);
        EXPECT_EQ(loaded.impuls, 0);
    }
    Put("[Sav]\nI_PO_CHUV=maybe\n");
    LoadSettings(s);
    EXPECT_FALSE(s.I_PO_CHUV);
}

// A store key that is there but holds no channel number (a word, a number too large for an
// integer) is refused and named like an out-of-range one, not silently read as its default.
TEST_F(SettingsStoreFile, EveryRefusedChannelOrderKeyIsNamed)
{
    Put("[Chs]\nChs1=1\nChs2=0\nChs3=abc\nChs5=5\nChs6=99999999999\n");
    Settings s;
    const StoreLoadReport report = LoadSettings(s);
    EXPECT_EQ(s.Chs, DefaultSettings().Chs);
    EXPECT_EQ(report.refused, (std::vector<std::string>{"Chs1", "Chs2", "Chs3", "Chs5", "Chs6"}));
    const std::string message = StoreStartMessage(std::nullopt, report);
    EXPECT_NE(message.find("Chs1, Chs2, Chs3, Chs5, Chs6"), std::string::npos) << message;

    // A word alone in an order that is otherwise the default is refused all the same.
    Put("[Chs]\nChs4=four\n");
    EXPECT_EQ(LoadSettings(s).refused, (std::vector<std::string>{"Chs4"}));
}

namespace {

struct UnwritableStore {
    const char* name;
    std::function<std::string(const std::string& dir)> make;   // returns the store's path
    const char* says;                                          // a part of the reason
};

void PrintTo(const UnwritableStore& c, std::ostream* os)
{
    *os << c.name;
}

class UnwritableStoreFile : public SettingsStoreFile, public testing::WithParamInterface<UnwritableStore> {};

}   // namespace

// Every save says that it failed and why, and the file (or whatever is in its place) stays
// as it was. A named pipe in the store's place is refused at once, never waited on.
TEST_P(UnwritableStoreFile, EverySaveReportsItsFailureWithTheReason)
{
    const std::string folder = dir.path().toStdString();
    const std::string store = GetParam().make(folder);
    if (store.empty())
        GTEST_SKIP() << "a folder's mode does not stop the superuser";
    SettingsStore::SetFileName(QString::fromStdString(store));
    Settings s;
    (void)LoadSettings(s);
    struct stat before {};
    const bool existed = ::lstat(store.c_str(), &before) == 0;
    const std::string contents = existed && S_ISREG(before.st_mode) ? ContentsOf(store) : std::string();
    for (const StoreStatus& status : SaveEachWithItsStatus()) {
        EXPECT_FALSE(status.ok());
        EXPECT_NE(status.error.toStdString().find(GetParam().says), std::string::npos)
            << status.error.toStdString();
        const std::string text = StoreWriteFailureText(status).toStdString();
        EXPECT_NE(text.find(store), std::string::npos) << text;
    }
    struct stat after {};
    EXPECT_EQ(::lstat(store.c_str(), &after) == 0, existed);
    if (existed) {
        EXPECT_EQ(after.st_mode, before.st_mode);
        if (S_ISREG(after.st_mode)) {
            EXPECT_EQ(ContentsOf(store), contents);
        }
    }
    ::chmod(folder.c_str(), 0700);   // so that the folder can be removed
}

INSTANTIATE_TEST_SUITE_P(
    Cases, UnwritableStoreFile,
    testing::Values(
        // A folder in the path that is a file: no one, the superuser included, can write there.
        UnwritableStore{"FolderIsAFile",
                        [](const std::string& dir) {
                            std::ofstream(dir + "/Sonorix") << "a file";
                            return dir + "/Sonorix/Sonorix.ini";
                        },
                        "Not a directory"},
        UnwritableStore{"ReadOnlyFolder",
                        [](const std::string& dir) {
                            if (::geteuid() == 0)
                                return std::string();
                            const std::string store = dir + "/Sonorix.ini";
                            std::ofstream(store) << "[Mag]\nLCADR=3\n";
                            ::chmod(dir.c_str(), 0500);
                            return store;
                        },
                        "Permission denied"},
        UnwritableStore{"NamedPipe",
                        [](const std::string& dir) {
                            const std::string store = dir + "/Sonorix.ini";
                            (void)::mkfifo(store.c_str(), 0600);
                            return store;
                        },
                        "именованный канал"}));

TEST_F(SettingsStoreFile, APipeInTheStoresPlaceIsRefusedAtOnce)
{
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    Settings s;
    const StoreLoadReport report = LoadSettings(s);
    EXPECT_NE(report.unreadable.toStdString().find("именованный канал"), std::string::npos)
        << report.unreadable.toStdString();
    EXPECT_EQ(SettingsStore().ReadInteger("Mag", "LCADR", 7), 7);
}

// Each writer re-reads the file under the lock and changes only its own keys: two stores
// opened before either saves both keep their keys, and the calibrated microphones keep theirs
// whatever another writer changed in between.
TEST_F(SettingsStoreFile, WritersChangeOnlyTheirOwnKeys)
{
    Put("[Chs]\nChs1=2\nChs2=0\nChs3=1\nChs4=3\nChs5=4\nChs6=5\n[Mag]\nLCADR=3\n");
    SettingsStore first;
    SettingsStore second;
    first.WriteInteger("D3D", "tgrad", 5);
    second.WriteText("Folders", "Csv", "/data");
    ASSERT_TRUE(first.Save().ok());
    ASSERT_TRUE(second.Save().ok());
    ASSERT_TRUE(SaveMicrophoneSensitivities({{0, 11.5}}).ok());
    ASSERT_TRUE(SaveMicrophoneSensitivities({{1, 22.5}}).ok());
    Settings s;
    ASSERT_TRUE(LoadSettings(s).refused.empty());
    EXPECT_EQ(ChannelSensitivities(s)[0], 11.5);
    EXPECT_EQ(ChannelSensitivities(s)[1], 22.5);
    EXPECT_EQ(s.LCADR, 3);
    EXPECT_EQ(SettingsStore().ReadInteger("D3D", "tgrad", 0), 5);
    EXPECT_EQ(SettingsStore().ReadText("Folders", "Csv", QString()), QString("/data"));
    // Filed through the stored order: microphone 1 feeds element 3, which is filed under Chuv2.
    EXPECT_EQ(SettingsStore().ReadFloat("Mag", "Chuv2", 0), 11.5);

    // An order that is no permutation takes no sensitivity.
    Put("[Chs]\nChs1=1\n");
    const StoreStatus refused = SaveMicrophoneSensitivities({{0, 11.5}});
    EXPECT_FALSE(refused.ok());
    EXPECT_EQ(Contents(), "[Chs]\nChs1=1\n");
}

// A lock another program holds makes a save wait, then fail naming the holder; the file stays.
TEST_F(SettingsStoreFile, ALockHeldTooLongIsReportedWithItsHolder)
{
    Put("[Mag]\nLCADR=3\n");
    QLockFile held(QString::fromStdString(path) + ".lock");
    ASSERT_TRUE(held.tryLock(0));
    SettingsStore::SetLockTimeout(0);
    const StoreStatus status = SaveMainCloseSettings(DefaultSettings());
    SettingsStore::SetLockTimeout(10000);
    EXPECT_FALSE(status.ok());
    const std::string error = status.error.toStdString();
    EXPECT_NE(error.find(std::to_string(::getpid())), std::string::npos) << error;
    EXPECT_NE(error.find(path + ".lock"), std::string::npos) << error;
    EXPECT_EQ(Contents(), "[Mag]\nLCADR=3\n");
    held.unlock();
    EXPECT_TRUE(SaveMainCloseSettings(DefaultSettings()).ok());
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path) + ".lock"));
}
