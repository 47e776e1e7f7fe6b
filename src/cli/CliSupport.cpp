#include "CliSupport.h"

#include "FileText.h"
#include "IniFile.h"
#include "SafeFile.h"
#include "SettingLimits.h"
#include "SettingsStore.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kIniSection[] = "Ust";
constexpr double kLongestTimeSeconds = 1e9;
// An INI file of the settings dialog is a few hundred bytes; a huge file is not one.
constexpr std::streamsize kMaxIniBytes = 1 << 20;

const std::array<const char*, 8> kWindowNames = {
    "none", "triangular", "hanning", "hamming", "blackman-harris", "blackman-exact", "blackman", "flattop",
};

std::optional<std::string> readSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::string bytes(static_cast<size_t>(kMaxIniBytes) + 1, '\0');
    in.read(bytes.data(), kMaxIniBytes + 1);
    if (in.bad() || in.gcount() > kMaxIniBytes)
        return std::nullopt;
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

// Why a number the user gave for a constant cannot be used: "<where> (<key>): expected <range>,
// got "<text>"". `where` is the option, or the file and section the key came from.
std::string refusedConstant(const std::string& where, const std::string& key, const std::string& text)
{
    const bool named =
        where.size() >= key.size() && where.compare(where.size() - key.size(), key.size(), key) == 0;
    return where + (named ? "" : " (" + key + ")") + ": expected " + ConstantRangeText(key) + ", got \"" +
           text + "\"";
}

// A constant as typed: a number (NULL_ADC a whole one) inside the key's range.
std::optional<double> checkedConstant(const std::string& key, const std::string& text)
{
    std::optional<double> v;
    if (key == "NULL_ADC") {
        if (const std::optional<int> code = ParseInteger(text))
            v = *code;
    } else {
        v = ParseNumber(text);
    }
    if (!v || !IsValidConstant(key, *v))
        return std::nullopt;
    return v;
}

// Every constant the range checks cover, with its key and where it sits in the record.
struct ConstantField {
    std::string key;
    double* number = nullptr;
    int32_t* code = nullptr;   // NULL_ADC is a whole number
};

std::vector<ConstantField> constantFields(Settings& s)
{
    std::vector<ConstantField> fields = {{"plotnost", &s.plotnost},
                                         {"skorost", &s.skorost},
                                         {"VOLT", &s.VOLT},
                                         {"NULL_ADC", nullptr, &s.NULL_ADC}};
    for (int n = 1; n <= 3; ++n)
        fields.push_back({"lmic" + std::to_string(n), &s.lmic[n - 1]});
    // The dialog's grid row r is record element r - 1: the sensitivity of logical channel r.
    for (int r = 1; r <= 6; ++r)
        fields.push_back({"Chuv" + std::to_string(r), &s.Chuv[r - 1]});
    return fields;
}

// Only the keys the file holds change the record; a missing key keeps the stored value.
// `given` collects the keys it set.
std::string applyIni(const std::string& path, Settings& s, std::set<std::string>& given)
{
    if (const std::string problem = InputFileProblem(path); !problem.empty())
        return path + ": " + problem;
    const std::optional<std::string> bytes = readSmallFile(path);
    if (!bytes)
        return path + ": cannot read the settings file";
    const IniFile ini = IniFile::FromBytes(*bytes);
    for (const ConstantField& field : constantFields(s)) {
        const std::optional<std::string> text = ini.ReadString(kIniSection, field.key);
        if (!text)
            continue;
        const std::optional<double> v = checkedConstant(field.key, *text);
        if (!v)
            return refusedConstant(path + ": [" + kIniSection + "] " + field.key, field.key, *text);
        if (field.code)
            *field.code = static_cast<int32_t>(*v);
        else
            *field.number = *v;
        given.insert(field.key);
    }
    return {};
}

}   // namespace

std::optional<double> ParseNumber(const std::string& text)
{
    std::string t = text;
    t.erase(0, t.find_first_not_of(" \t"));
    t.erase(t.find_last_not_of(" \t\r\n") + 1);
    if (t.find('.') == std::string::npos)
        std::replace(t.begin(), t.end(), ',', '.');
    if (!t.empty() && t[0] == '+')
        t.erase(0, 1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size() || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<int> ParseInteger(const std::string& text)
{
    std::string t = text;
    t.erase(0, t.find_first_not_of(" \t"));
    t.erase(t.find_last_not_of(" \t\r\n") + 1);
    int v = 0;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size())
        return std::nullopt;
    return v;
}

std::optional<std::vector<double>> ParseNumberList(const std::string& text, size_t count)
{
    std::vector<double> values;
    size_t start = 0;
    while (true) {
        const size_t comma = text.find(',', start);
        std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (item.find(',') != std::string::npos)
            return std::nullopt;
        // Inside a list the comma separates, so only the dot can be a decimal separator.
        if (item.find_first_not_of("0123456789.eE+- \t") != std::string::npos)
            return std::nullopt;
        const std::optional<double> v = ParseNumber(item);
        if (!v)
            return std::nullopt;
        values.push_back(*v);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (values.size() != count)
        return std::nullopt;
    return values;
}

std::optional<double> ParseTime(const std::string& text)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        const size_t colon = text.find(':', start);
        parts.push_back(text.substr(start, colon == std::string::npos ? std::string::npos : colon - start));
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    if (parts.size() > 3)
        return std::nullopt;
    double seconds = 0.0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const bool last = i + 1 == parts.size();
        // Hours and minutes are whole; only the seconds may carry a fraction.
        if (parts[i].empty() ||
            parts[i].find_first_not_of(last ? "0123456789.," : "0123456789") != std::string::npos)
            return std::nullopt;
        const std::optional<double> v = ParseNumber(parts[i]);
        if (!v)
            return std::nullopt;
        if (i > 0 && *v >= 60.0)
            return std::nullopt;
        seconds = seconds * 60.0 + *v;
    }
    // Frames are counted from seconds times the rate in 64 bits; no recording is longer.
    if (!(seconds <= kLongestTimeSeconds))
        return std::nullopt;
    return seconds;
}

const char kSettingsHelp[] =
    "Constants (default: the program's own per-user settings store):\n"
    "  --settings FILE.ini   take the [Ust] keys an INI file of the settings dialog holds\n"
    "                        (plotnost, skorost, VOLT, lmic1..3, Chuv1..6, NULL_ADC); keys it\n"
    "                        lacks keep the stored values\n"
    "  --store FILE.ini      read the settings store from FILE instead of the user's own\n"
    "  --rho KG_M3           air density\n"
    "  --c M_S               speed of sound\n"
    "  --spacing X,Y,Z       microphone spacing of the pairs 1-2, 3-4, 5-6, m\n"
    "  --volt V              volts per ADC step (VOLT)\n"
    "  --null-adc CODE       ADC code of zero volts (NULL_ADC)\n"
    "  --chs A,B,C,D,E,F     channel order: the logical channel (1..6) of recording slots 1..6\n"
    "  --sens S1,...,S6      microphone sensitivities of channels 1..6, mV/Pa\n"
    "  --calibrated          intensity with each channel's pascals from its microphone's\n"
    "                        sensitivity (the settings dialog's check box), not one fixed\n"
    "                        factor for all six\n"
    "Options override the INI file, which overrides the store. Single numbers may use a dot or\n"
    "a comma as the decimal separator; in lists only the dot. A constant outside the range the\n"
    "program can use is refused, wherever it comes from (exit code 2).\n";

namespace {

// Points the store at the file `--store` names and loads the record from it.
std::string loadStore(const SettingsOptions& options, Settings& s, StoreLoadReport& report)
{
    if (const std::optional<std::string>& store = options.store) {
        // A store that does not exist yet reads as defaults; anything else must be a file.
        struct stat st {};
        if (::stat(store->c_str(), &st) == 0 && !S_ISREG(st.st_mode))
            return "--store: " + *store + " " + FileKindText(st.st_mode);
        SettingsStore::SetFileName(QString::fromStdString(*store));
    }
    report = LoadSettings(s);
    if (!report.unreadable.isEmpty())
        return "the settings store " + SettingsStore::FileName().toStdString() + " cannot be read (" +
               report.unreadable.toStdString() +
               "); the program leaves it as it is: start the program once to keep it aside, or "
               "name another with --store";
    return {};
}

std::string applyNumber(const std::optional<std::string>& text, const char* option, const char* key,
                        double& target, std::set<std::string>& given)
{
    if (!text)
        return {};
    const std::optional<double> v = checkedConstant(key, *text);
    if (!v)
        return refusedConstant(option, key, *text);
    target = *v;
    given.insert(key);
    return {};
}

// A list names the element that is refused by its key.
std::string applyList(const std::optional<std::string>& text, const char* option, const char* stem,
                      size_t count, double* target, std::set<std::string>& given)
{
    if (!text)
        return {};
    const auto v = ParseNumberList(*text, count);
    if (!v)
        return std::string(option) + ": expected " + std::to_string(count) +
               " numbers separated by commas, got \"" + *text + "\"";
    for (size_t k = 0; k < count; ++k) {
        const std::string key = stem + std::to_string(k + 1);
        if (!IsValidConstant(key, (*v)[k]))
            return refusedConstant(std::string(option) + " item " + std::to_string(k + 1), key,
                                   MachineNumber((*v)[k]));
    }
    for (size_t k = 0; k < count; ++k) {
        target[k] = (*v)[k];
        given.insert(stem + std::to_string(k + 1));
    }
    return {};
}

std::string applyConstantOptions(const SettingsOptions& options, Settings& s, std::set<std::string>& given)
{
    double nullAdc = s.NULL_ADC;
    for (const std::string& error : {applyNumber(options.rho, "--rho", "plotnost", s.plotnost, given),
                                     applyNumber(options.c, "--c", "skorost", s.skorost, given),
                                     applyNumber(options.volt, "--volt", "VOLT", s.VOLT, given),
                                     applyNumber(options.nullAdc, "--null-adc", "NULL_ADC", nullAdc, given),
                                     applyList(options.spacing, "--spacing", "lmic", 3, s.lmic.data(), given),
                                     applyList(options.sens, "--sens", "Chuv", 6, s.Chuv.data(), given)})
        if (!error.empty())
            return error;
    s.NULL_ADC = static_cast<int32_t>(nullAdc);
    return {};
}

// The store has already replaced what it could not take by defaults; a run must not go on with
// them as if they were the user's, so each is refused unless the INI file or an option gave the
// value. So is a stored value outside its range that nothing overrode.
std::string checkStoredConstants(const StoreLoadReport& report, Settings& s,
                                 const std::set<std::string>& given)
{
    const std::string store = "the settings store " + SettingsStore::FileName().toStdString() + ": ";
    for (const std::string& key : report.refused)
        if (!given.count(key))
            return store + key + " holds a value the program cannot use (" +
                   (key.rfind("Chs", 0) == 0 ? std::string("a channel order of 1..6, each once")
                                             : ConstantRangeText(key)) +
                   "); correct it in the settings dialog, or give the value with an option";
    for (const ConstantField& field : constantFields(s)) {
        const double v = field.code ? *field.code : *field.number;
        if (!given.count(field.key) && !IsValidConstant(field.key, v))
            return refusedConstant(store + field.key, field.key, MachineNumber(v)) +
                   "; correct it in the settings dialog, or give the value with an option";
    }
    return {};
}

std::string applyChannelOrder(const std::optional<std::string>& text, Settings& s)
{
    if (!text)
        return {};
    const auto v = ParseNumberList(*text, 6);
    std::array<int32_t, 6> chs{};
    std::array<bool, 6> seen{};
    bool ok = v.has_value();
    for (size_t k = 0; ok && k < 6; ++k) {
        const double c = (*v)[k];
        ok = c >= 1 && c <= 6 && c == std::floor(c) && !seen[static_cast<size_t>(c) - 1];
        if (ok) {
            seen[static_cast<size_t>(c) - 1] = true;
            chs[k] = static_cast<int32_t>(c) - 1;
        }
    }
    if (!ok)
        return "--chs: expected the channels 1..6, each once, got \"" + *text + "\"";
    s.Chs = chs;
    return {};
}

}   // namespace

std::string BuildSettings(const SettingsOptions& options, Settings& s)
{
    StoreLoadReport report;
    if (std::string error = loadStore(options, s, report); !error.empty())
        return error;
    // Keys set by the INI file or an option; the store's value of any other key is checked
    // afterwards, so a value that is overridden never stops a run.
    std::set<std::string> given;
    if (options.ini)
        if (std::string error = applyIni(*options.ini, s, given); !error.empty())
            return error;
    if (std::string error = applyConstantOptions(options, s, given); !error.empty())
        return error;
    if (std::string error = checkStoredConstants(report, s, given); !error.empty())
        return error;
    if (options.calibrated)
        s.I_PO_CHUV = true;
    return applyChannelOrder(options.chs, s);
}

std::optional<int> WindowItemFromName(const std::string& name)
{
    for (size_t i = 0; i < kWindowNames.size(); ++i)
        if (name == kWindowNames[i])
            return static_cast<int>(i);
    const std::optional<int> item = ParseInteger(name);
    if (item && *item >= 0 && *item < static_cast<int>(kWindowNames.size()))
        return item;
    return std::nullopt;
}

std::string WindowItemName(int item)
{
    return item >= 0 && item < static_cast<int>(kWindowNames.size()) ? kWindowNames[item]
                                                                     : std::to_string(item);
}

const char kWindowNamesHelp[] =
    "none, triangular, hanning, hamming, blackman-harris, blackman-exact, blackman, flattop\n"
    "(or their numbers 0..7 in the processing window's list)";

namespace {
std::atomic<uint64_t> nonFiniteNumbers{0};
}

uint64_t NonFiniteNumbersSeen()
{
    return nonFiniteNumbers.load();
}

void NoteNonFiniteNumber()
{
    ++nonFiniteNumbers;
}

const char kNonFiniteResultText[] =
    "the result holds a number that is not finite (the input is beyond what the arithmetic can "
    "take); nothing is written for it";

std::string MachineNumber(double value)
{
    if (!std::isfinite(value))
        NoteNonFiniteNumber();
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    // The batch tool's files have always written a negative zero as "-0".
    return ShortestNumber(value, SignedZero::Minus);
}

std::string PrintableText(const std::string& text, bool keepLineBreaks)
{
    std::string out;
    out.reserve(text.size());
    const auto escape = [&out](unsigned char byte) {
        char code[8];
        std::snprintf(code, sizeof code, "\\x%02X", byte);
        out += code;
    };
    for (size_t i = 0; i < text.size(); ++i) {
        const auto ch = static_cast<unsigned char>(text[i]);
        if ((ch < 0x20 && ch != '\t' && !(keepLineBreaks && ch == '\n')) || ch == 0x7F) {
            escape(ch);
        } else if (ch == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            // U+0080 ... U+009F in UTF-8: CSI and the other C1 controls.
            escape(ch);
            escape(static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out;
}

std::string CsvField(const std::string& text, char separator)
{
    if (text.find_first_of(std::string(1, separator) + "\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char ch : text) {
        if (ch == '"')
            quoted += '"';
        quoted += ch;
    }
    return quoted + '"';
}

QString LocaleNumber(double value)
{
    if (!std::isfinite(value))
        NoteNonFiniteNumber();
    if (value == 0.0)
        value = 0.0;   // no "-0"
    // 'g' keeps 7 significant digits and turns to exponent notation below 1e-4 and from 1e7 on.
    return QLocale().toString(value, 'g', 7);
}

std::string OutputTargetProblem(const std::string& path, bool replace)
{
    struct stat link {};
    if (::lstat(path.c_str(), &link) != 0)
        return errno == ENOENT ? std::string() : "cannot write: " + SystemErrorText(errno);
    struct stat st = link;
    if (S_ISLNK(link.st_mode) && ::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? "is a symbolic link to nothing (a dangling link)"
                               : "cannot write: " + SystemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return FileKindText(st.st_mode);
    if (!replace)
        return "file exists (use --force to replace it)";
    return {};
}

std::string SameFileProblem(const std::string& output, const std::vector<std::string>& inputs)
{
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0)
        return {};
    for (const std::string& input : inputs) {
        struct stat st {};
        if (::stat(input.c_str(), &st) == 0 && st.st_dev == target.st_dev && st.st_ino == target.st_ino)
            return "is the same file as the input " + input + "; it would be destroyed: name another output";
    }
    return {};
}

std::string WriteOutputFile(const std::string& path, const std::string& bytes, bool replace)
{
    if (const std::string problem = OutputTargetProblem(path, replace); !problem.empty())
        return path + ": " + problem;
    std::string reason;
    if (!WriteFileSafely(path, bytes, reason))
        return path + ": cannot write: " + (reason.empty() ? SystemErrorText(EIO) : reason);
    return {};
}
