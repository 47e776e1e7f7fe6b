#include "CliSupport.h"

#include "IniFile.h"
#include "ResultText.h"
#include "SettingsStore.h"

#include <QByteArray>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr char kIniSection[] = "Ust";
// An INI file of the settings dialog is a few hundred bytes; a huge file is not one.
constexpr std::streamsize kMaxIniBytes = 1 << 20;

const std::array<const char*, 8> kWindowNames = {
    "none", "triangular", "hanning", "hamming", "blackman-harris", "blackman-exact", "blackman",
    "flattop",
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

std::string applyIni(const std::string& path, Settings& s)
{
    const std::optional<std::string> bytes = readSmallFile(path);
    if (!bytes)
        return path + ": cannot read the settings file";
    const IniFile ini = IniFile::FromBytes(*bytes);
    std::string error;
    // Only the keys the file holds change the record; a missing key keeps the stored value.
    auto number = [&](const std::string& key, double& target) {
        const std::optional<std::string> text = ini.ReadString(kIniSection, key);
        if (!text || !error.empty())
            return;
        const std::optional<double> v = ParseNumber(*text);
        if (!v)
            error = path + ": [" + kIniSection + "] " + key + " is not a number: " + *text;
        else
            target = *v;
    };
    number("plotnost", s.plotnost);
    number("skorost", s.skorost);
    number("VOLT", s.VOLT);
    for (int n = 1; n <= 3; ++n)
        number("lmic" + std::to_string(n), s.lmic[n - 1]);
    // The dialog's grid row r is record element r - 1.
    for (int r = 1; r <= 6; ++r)
        number("Chuv" + std::to_string(r), s.Chuv[r - 1]);
    if (const std::optional<std::string> text = ini.ReadString(kIniSection, "NULL_ADC"); text && error.empty()) {
        const std::optional<int> v = ParseInteger(*text);
        if (!v)
            error = path + ": [" + kIniSection + "] NULL_ADC is not an integer: " + *text;
        else
            s.NULL_ADC = *v;
    }
    return error;
}

}  // namespace

const std::string* ParsedArgs::value(const std::string& option) const
{
    const auto it = values.find(option);
    return it == values.end() ? nullptr : &it->second;
}

std::string ParseArgs(const std::vector<std::string>& args, const std::set<std::string>& valueOptions,
                      const std::set<std::string>& flagOptions, ParsedArgs& out)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            out.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg;
        std::optional<std::string> inlineValue;
        if (const size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            name = arg.substr(0, eq);
            inlineValue = arg.substr(eq + 1);
        }
        if (valueOptions.count(name)) {
            if (inlineValue) {
                out.values[name] = *inlineValue;
            } else if (i + 1 < args.size()) {
                out.values[name] = args[++i];
            } else {
                return "option " + name + " needs a value";
            }
        } else if (flagOptions.count(name)) {
            if (inlineValue && name != "--locale")
                return "option " + name + " takes no value";
            out.flags.insert(name);
            if (inlineValue)
                out.values[name] = *inlineValue;
        } else {
            return "unknown option " + name;
        }
    }
    return {};
}

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
        if (parts[i].empty() || parts[i].find_first_not_of(last ? "0123456789.," : "0123456789") != std::string::npos)
            return std::nullopt;
        const std::optional<double> v = ParseNumber(parts[i]);
        if (!v)
            return std::nullopt;
        if (i > 0 && *v >= 60.0)
            return std::nullopt;
        seconds = seconds * 60.0 + *v;
    }
    return seconds;
}

const std::set<std::string> kSettingsValueOptions = {
    "--store", "--settings", "--rho", "--c", "--spacing", "--volt", "--null-adc", "--chs", "--sens",
};

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
    "Options override the INI file, which overrides the store. Single numbers may use a dot or\n"
    "a comma as the decimal separator; in lists only the dot.\n";

std::string BuildSettings(const ParsedArgs& args, Settings& s)
{
    if (const std::string* store = args.value("--store"))
        SettingsStore::SetFileName(QString::fromStdString(*store));
    LoadSettings(s);
    if (const std::string* ini = args.value("--settings")) {
        const std::string error = applyIni(*ini, s);
        if (!error.empty())
            return error;
    }
    auto number = [&](const char* option, double& target, bool positive) -> std::string {
        const std::string* text = args.value(option);
        if (!text)
            return {};
        const std::optional<double> v = ParseNumber(*text);
        if (!v || (positive && !(*v > 0.0)))
            return std::string(option) + ": expected " + (positive ? "a positive number" : "a number") +
                   ", got \"" + *text + "\"";
        target = *v;
        return {};
    };
    for (const std::string& error : {number("--rho", s.plotnost, true), number("--c", s.skorost, true),
                                     number("--volt", s.VOLT, true)})
        if (!error.empty())
            return error;
    if (const std::string* text = args.value("--null-adc")) {
        const std::optional<int> v = ParseInteger(*text);
        if (!v)
            return "--null-adc: expected an integer, got \"" + *text + "\"";
        s.NULL_ADC = *v;
    }
    if (const std::string* text = args.value("--spacing")) {
        const auto v = ParseNumberList(*text, 3);
        if (!v || std::any_of(v->begin(), v->end(), [](double x) { return !(x > 0.0); }))
            return "--spacing: expected three positive numbers X,Y,Z, got \"" + *text + "\"";
        std::copy(v->begin(), v->end(), s.lmic.begin());
    }
    if (const std::string* text = args.value("--sens")) {
        const auto v = ParseNumberList(*text, 6);
        if (!v || std::any_of(v->begin(), v->end(), [](double x) { return !(x > 0.0); }))
            return "--sens: expected six positive numbers, got \"" + *text + "\"";
        std::copy(v->begin(), v->end(), s.Chuv.begin());
    }
    if (const std::string* text = args.value("--chs")) {
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
    }
    return {};
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

std::string MachineNumber(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;   // 64 characters hold any double
    return std::string(buffer, end);
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

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char ch : text) {
        switch (ch) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (ch < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", ch);
                out += buffer;
            } else {
                out += static_cast<char>(ch);
            }
        }
    }
    return out + '"';
}

std::string JsonNumber(double value)
{
    return std::isfinite(value) ? MachineNumber(value) : "null";
}

std::string WriteOutputFile(const std::string& path, const std::string& bytes, bool replace)
{
    const QString name = QString::fromStdString(path);
    if (!replace && QFileInfo::exists(name))
        return path + ": file exists (use --force to replace it)";
    if (!WriteFileReplacing(name, QByteArray::fromStdString(bytes)))
        return path + ": cannot write the file";
    return {};
}
