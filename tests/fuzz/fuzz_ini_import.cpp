// INI files as the settings dialog imports and updates them: every key of section "Ust" read
// as text and as an integer, then the section written back into the same file. Two promises
// are checked on the way: a file that is only read comes back byte for byte, and a value
// written reads back as itself.
#include "FuzzSupport.h"

#include "IniFile.h"

#include <string>

namespace {
const char* const kKeys[] = {"plotnost", "skorost", "VOLT",  "lmic1",   "lmic2",    "lmic3",
                             "Chuv1",    "Chuv2",   "Chuv3", "Chuv4",   "Chuv5",    "Chuv6",
                             "LCADR",    "prorezM", "NULL_ADC"};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const fuzz::SplitInput input = fuzz::Split(data, size);
    const std::string bytes(input.file);
    IniFile ini = IniFile::FromBytes(bytes);
    for (const char* key : kKeys) {
        (void)ini.ReadString("Ust", key);
        (void)ini.ReadInteger("Ust", key, 1);
    }
    if (ini.ToBytes() != bytes)
        std::abort();

    // The values written are the control bytes cut into texts: blanks, quotes, line breaks and
    // bytes of any code page included.
    const std::string control(input.control);
    for (size_t k = 0; k < std::size(kKeys); ++k) {
        const std::string value = control.substr(k % (control.size() + 1), k % 5);
        ini.WriteString("Ust", kKeys[k], value);
        std::string expected = value;
        for (char& c : expected)
            if (c == '\r' || c == '\n')
                c = ' ';
        if (ini.ReadString("Ust", kKeys[k]) != expected)
            std::abort();
    }
    const IniFile again = IniFile::FromBytes(ini.ToBytes());
    for (const char* key : kKeys)
        (void)again.ReadString("Ust", key);
    return 0;
}
