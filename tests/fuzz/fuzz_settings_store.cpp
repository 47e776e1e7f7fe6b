// The per-user settings store holding whatever another program (or a damaged disk) left in
// it, taken through both ways the program meets it. As the batch tool: load, then every save
// the program makes; a store the reader refused must still hold its bytes, and one it read
// must give back every key it saved. As the main window at start-up: an unreadable store is
// kept aside first, and after the load and the saves the kept file still holds the original
// bytes. Every loaded record must be one the numerics can take. The store is a private file in
// a scratch folder, never the user's own.
#include "FuzzSupport.h"

#include "SettingLimits.h"
#include "SettingsStore.h"

#include <QString>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace {

std::string contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void check(bool ok, const char* what)
{
    if (!ok) {
        std::fprintf(stderr, "settings store: %s\n", what);
        std::abort();
    }
}

bool same(double a, double b)
{
    return a == b || (std::isnan(a) && std::isnan(b));
}

template <typename Array> bool sameArray(const Array& a, const Array& b)
{
    for (size_t i = 0; i < a.size(); ++i)
        if (!same(static_cast<double>(a[i]), static_cast<double>(b[i])))
            return false;
    return true;
}

// Every field the store keeps.
bool sameStored(const Settings& a, const Settings& b)
{
    return a.Chs == b.Chs && a.LCADR == b.LCADR && a.PA_OR_VOLT == b.PA_OR_VOLT &&
           a.S_PA_OR_VOLT == b.S_PA_OR_VOLT && same(a.VOLT, b.VOLT) && a.NULL_ADC == b.NULL_ADC &&
           a.G_Auto == b.G_Auto && sameArray(a.G_Max, b.G_Max) && sameArray(a.G_Min, b.G_Min) &&
           a.G_Setka == b.G_Setka && a.G_Color == b.G_Color && a.G_Tol == b.G_Tol && a.G_Vis == b.G_Vis &&
           a.Fmin == b.Fmin && a.Fmax == b.Fmax && a.FOrder == b.FOrder && same(a.plotnost, b.plotnost) &&
           same(a.skorost, b.skorost) && sameArray(a.lmic, b.lmic) && sameArray(a.Chuv, b.Chuv) &&
           a.type_sig == b.type_sig && a.freq_sig == b.freq_sig && a.ampl_sig == b.ampl_sig &&
           a.FI_Z == b.FI_Z && a.FI_X == b.FI_X && a.ampl_noise_sig == b.ampl_noise_sig &&
           a.freq_ocifr == b.freq_ocifr && a.dlit == b.dlit && a.S_Fmin == b.S_Fmin && a.S_Fmax == b.S_Fmax &&
           a.prorezM == b.prorezM && a.zader == b.zader && a.impuls == b.impuls;
}

// What every loaded record must be, whatever the file held.
void checkRecord(const Settings& s)
{
    check(s.impuls == Settings::kImpulsImpulse || s.impuls == Settings::kImpulsPeriodic,
          "impuls neither 0 nor 1");
    std::array<bool, 6> seen{};
    for (const int32_t channel : s.Chs) {
        check(channel >= 0 && channel < 6 && !seen[static_cast<size_t>(channel)],
              "channel order not a permutation");
        seen[static_cast<size_t>(channel)] = true;
    }
    Settings copy = s;
    check(RepairConstants(copy).empty(), "a constant out of range reached the record");
}

// Every kind of save the program makes, of the record it loaded (one chart's appearance:
// each save is a whole write of the file, and they all go through the same writer).
void saveEverything(const Settings& s, int chart)
{
    // A store the program cannot read refuses every save; what the refusal leaves is checked
    // by the callers.
    (void)SaveMainCloseSettings(s);
    (void)SaveSettingsDialogKeys(s);
    (void)SaveChannelOrderKeys(s);
    (void)SaveChartAppearance(s, chart);
}

// A new name for every file, so that no input meets what an earlier one left beside its store
// (a kept-aside file, a lock).
std::string newStore(const uint8_t* data, size_t size)
{
    static unsigned long serial = 0;
    const std::string path = fuzz::WriteScratchFile("store-" + std::to_string(serial++) + ".ini", data, size);
    SettingsStore::SetFileName(QString::fromStdString(path));
    return path;
}

}   // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Every store write ends in a flush to the disk, which makes an input take a tenth of a
    // second on a real disk: the scratch folder goes to memory where the system has a folder
    // for it, unless the caller chose one.
    std::error_code error;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm", error))
        ::setenv("TMPDIR", "/dev/shm", 1);
    // Nothing may fall back to the real configuration folder.
    const std::string home = fuzz::ScratchDir().string();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string original(reinterpret_cast<const char*>(data), size);

    // As the batch tool: no start-up, the file stays where it is.
    std::string path = newStore(data, size);
    Settings loaded;
    const StoreLoadReport report = LoadSettings(loaded);
    checkRecord(loaded);
    saveEverything(loaded, static_cast<int>(size % 6));
    if (!report.unreadable.isEmpty()) {
        check(contents(path) == original, "a refused store was written over");
    } else {
        Settings again;
        const StoreLoadReport second = LoadSettings(again);
        check(second.unreadable.isEmpty(), "the program's own save made the store unreadable");
        check(second.refused.empty(), "the program's own save holds a refused value");
        check(sameStored(loaded, again), "a saved value did not read back as itself");
    }
    std::remove(path.c_str());

    // As the main window: an unreadable store is kept aside before the load.
    path = newStore(data, size);
    const std::optional<KeptStore> kept = KeepUnreadableStoreAside(QDate(2024, 1, 1));
    check(kept.has_value() == !report.unreadable.isEmpty(), "start-up and load disagree on the store");
    Settings started;
    const StoreLoadReport afterKeeping = LoadSettings(started);
    check(afterKeeping.unreadable.isEmpty() || (kept && kept->keptAs.isEmpty()),
          "the store kept aside is still in the way");
    checkRecord(started);
    (void)SaveMainCloseSettings(started);
    if (kept) {
        const std::string keptAs = kept->keptAs.toStdString();
        if (keptAs.empty()) {
            check(contents(path) == original, "a store that could not be kept aside was written over");
        } else {
            check(contents(keptAs) == original, "the kept store lost its bytes");
            check(!StoreStartMessage(kept, StoreLoadReport{}).empty(), "the user was not told");
            std::remove(keptAs.c_str());
        }
    }
    std::remove(path.c_str());
    return 0;
}
