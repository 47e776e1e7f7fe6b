// INI files as the settings dialog imports and updates them: every key of section "Ust" read
// as text and as an integer, then the section written back into the same file. Three promises
// are checked on the way: a file that is only read comes back byte for byte, a value written
// reads back as itself, and it still does after the file's bytes are read again. The control
// bytes choose the section's spelling (names match without regard to case), the case of each
// key, and whether a key is written as text or as an integer.
#include "FuzzSupport.h"

#include "IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {
const char* const kKeys[] = {"plotnost", "skorost", "VOLT",  "lmic1", "lmic2", "lmic3",   "Chuv1",   "Chuv2",
                             "Chuv3",    "Chuv4",   "Chuv5", "Chuv6", "LCADR", "prorezM", "NULL_ADC"};
const char* const kSections[] = {"Ust", "ust", "UST", "Sav"};

std::string flipCase(std::string name)
{
    for (char& c : name) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// Values of this kind read back the same whatever code page the file is written in.
bool printableAscii(const std::string& s)
{
    for (const char c : s)
        if (c != '\t' && (c < 0x20 || c > 0x7E))
            return false;
    return true;
}

struct Written {
    std::string key;
    std::string text;   // expected ReadString
    bool integer = false;
    int32_t value = 0;   // expected ReadInteger when integer
};
}   // namespace

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
    fuzz::Control choice(input.control);
    const std::string section = kSections[choice.Next() & 3];
    std::vector<Written> written;
    for (size_t k = 0; k < std::size(kKeys); ++k) {
        const uint8_t how = choice.Next();
        Written w;
        w.key = (how & 1) ? flipCase(kKeys[k]) : std::string(kKeys[k]);
        if (how & 2) {
            w.integer = true;
            w.value = static_cast<int32_t>(static_cast<uint32_t>(how) << 24 | static_cast<uint32_t>(k) << 8 |
                                           static_cast<uint32_t>(choice.Next()));
            ini.WriteInteger(section, w.key, w.value);
            w.text = std::to_string(w.value);
            if (ini.ReadInteger(section, w.key, w.value ^ 1) != w.value)
                std::abort();
        } else {
            const std::string value = control.substr(k % (control.size() + 1), k % 5);
            ini.WriteString(section, w.key, value);
            w.text = value;
            for (char& c : w.text)
                if (c == '\r' || c == '\n')
                    c = ' ';
        }
        if (ini.ReadString(section, w.key) != w.text)
            std::abort();
        written.push_back(w);
    }

    // What was written survives the trip through the file's bytes.
    const IniFile again = IniFile::FromBytes(ini.ToBytes());
    for (const Written& w : written) {
        if (!printableAscii(w.text))
            continue;
        if (again.ReadString(section, flipCase(w.key)) != w.text)
            std::abort();
        if (w.integer && again.ReadInteger(section, w.key, w.value ^ 1) != w.value)
            std::abort();
    }
    return 0;
}
