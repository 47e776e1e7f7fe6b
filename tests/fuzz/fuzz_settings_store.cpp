// The per-user settings store holding whatever another program (or a damaged disk) left in
// it: the whole record is loaded from a store file of hostile bytes, as the main window does
// at start-up. The store is a private file in a scratch folder, never the user's own.
#include "FuzzSupport.h"

#include "SettingsStore.h"

#include <QString>

#include <cstdio>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Nothing may fall back to the real configuration folder.
    const std::string home = fuzz::ScratchDir().string();
    ::setenv("HOME", home.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", home.c_str(), 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A new name for every input: the store caches files by name, size and modification time,
    // and two inputs of one size can be written within the same clock tick.
    static unsigned long serial = 0;
    const std::string path =
        fuzz::WriteScratchFile("store-" + std::to_string(serial++) + ".ini", data, size);
    SettingsStore::SetFileName(QString::fromStdString(path));
    Settings s;
    LoadSettings(s);
    // A value of the wrong type reads as the default, never as something half-converted.
    if (s.impuls != 0 && s.impuls != 1)
        std::abort();
    std::remove(path.c_str());
    return 0;
}
