#include "IniFile.h"

#include <cstdint>
#include <limits>

namespace {

// Code points of the bytes 0x80 ... 0xBF of Windows-1251; 0xC0 ... 0xFF are U+0410 ... U+044F.
// The code page leaves 0x98 unassigned: it maps to U+0098 so that any file reads and writes
// back byte for byte.
constexpr char32_t kUpperHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at i; returns its length, or 0 when the bytes there are not
// a well-formed sequence (overlong forms, surrogates and values past U+10FFFF included).
size_t decodeUtf8(const std::string& s, size_t i, char32_t& c)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    size_t len;
    char32_t min;
    if (b0 < 0x80) {
        c = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        c = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        c = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        c = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        const unsigned char b = byte(i + k);
        if ((b & 0xC0) != 0x80)
            return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0;
    return len;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

std::string trim(const std::string& s)
{
    size_t b = 0;
    size_t e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

char asciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i]))
            return false;
    }
    return true;
}

bool isQuote(char c)
{
    return c == '"' || c == '\'';
}

// The section name of a header line, or nothing for any other line.
std::optional<std::string> headerName(const std::string& line)
{
    const std::string t = trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const size_t close = t.find(']');
    return trim(t.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// Splits a "key=value" line; comments, headers and lines without '=' are not entries.
bool splitEntry(const std::string& line, std::string& key, std::string& value)
{
    const std::string t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '[')
        return false;
    const size_t eq = t.find('=');
    if (eq == std::string::npos)
        return false;
    key = trim(t.substr(0, eq));
    value = trim(t.substr(eq + 1));
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return true;
}

std::string valueText(std::string value)
{
    for (char& c : value) {
        if (c == '\r' || c == '\n')
            c = ' ';
    }
    const bool outerBlank = !value.empty() && (isBlank(value.front()) || isBlank(value.back()));
    const bool outerQuotes = value.size() >= 2 && isQuote(value.front()) && value.back() == value.front();
    if (outerBlank || outerQuotes)
        return '"' + value + '"';
    return value;
}

std::optional<int> parseInteger(const std::string& text)
{
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size())
        return std::nullopt;
    int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = asciiLower(text[i]);
        int digit;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > int64_t{std::numeric_limits<int32_t>::max()} + 1)
            return std::nullopt;
    }
    const int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<int32_t>::max())
        return std::nullopt;
    return static_cast<int>(value);
}

}   // namespace

bool IsValidUtf8(const std::string& bytes)
{
    char32_t c;
    for (size_t i = 0; i < bytes.size();) {
        const size_t len = decodeUtf8(bytes, i, c);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

std::string Windows1251ToUtf8(const std::string& bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80)
            out += ch;
        else if (b < 0xC0)
            appendUtf8(out, kUpperHalf[b - 0x80]);
        else
            appendUtf8(out, 0x0410 + (b - 0xC0));
    }
    return out;
}

std::string Utf8ToWindows1251(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    char32_t c;
    for (size_t i = 0; i < text.size();) {
        const size_t len = decodeUtf8(text, i, c);
        if (len == 0) {
            out += '?';
            ++i;
            continue;
        }
        i += len;
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c >= 0x0410 && c <= 0x044F) {
            out += static_cast<char>(0xC0 + (c - 0x0410));
        } else {
            char mapped = '?';
            for (int k = 0; k < 64; ++k) {
                if (kUpperHalf[k] == c) {
                    mapped = static_cast<char>(0x80 + k);
                    break;
                }
            }
            out += mapped;
        }
    }
    return out;
}

IniFile IniFile::FromBytes(const std::string& bytes)
{
    IniFile ini;
    std::string text;
    static const std::string bom = "\xEF\xBB\xBF";
    if (bytes.compare(0, bom.size(), bom) == 0) {
        ini.encoding_ = Encoding::Utf8WithBom;
        text = bytes.substr(bom.size());
    } else {
        bool ascii = true;
        for (const char c : bytes) {
            if (static_cast<unsigned char>(c) >= 0x80) {
                ascii = false;
                break;
            }
        }
        // A pure ASCII file is the same in both; it stays in the code page of new files.
        ini.encoding_ = (!ascii && IsValidUtf8(bytes)) ? Encoding::Utf8 : Encoding::Windows1251;
        text = ini.encoding_ == Encoding::Utf8 ? bytes : Windows1251ToUtf8(bytes);
    }

    size_t start = 0;
    while (start < text.size()) {
        const size_t stop = text.find_first_of("\r\n", start);
        if (stop == std::string::npos) {
            ini.lines_.push_back({text.substr(start), ""});
            break;
        }
        size_t next = stop + 1;
        if (text[stop] == '\r' && next < text.size() && text[next] == '\n')
            ++next;
        ini.lines_.push_back({text.substr(start, stop - start), text.substr(stop, next - stop)});
        start = next;
    }
    if (!ini.lines_.empty() && !ini.lines_.front().end.empty())
        ini.defaultEnd_ = ini.lines_.front().end;
    return ini;
}

std::string IniFile::ToBytes() const
{
    std::string text;
    for (const Line& line : lines_)
        text += line.text + line.end;
    switch (encoding_) {
    case Encoding::Utf8WithBom:
        return "\xEF\xBB\xBF" + text;
    case Encoding::Utf8:
        return text;
    case Encoding::Windows1251:
        break;
    }
    return Utf8ToWindows1251(text);
}

std::optional<IniFile::SectionRange> IniFile::findSection(const std::string& section) const
{
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = headerName(lines_[i].text);
        if (!name || !sameName(*name, section))
            continue;
        size_t last = i + 1;
        while (last < lines_.size() && !headerName(lines_[last].text))
            ++last;
        return SectionRange{i, i + 1, last};
    }
    return std::nullopt;
}

std::optional<size_t> IniFile::findKey(const SectionRange& range, const std::string& key) const
{
    std::string name, value;
    for (size_t i = range.first; i < range.last; ++i) {
        if (splitEntry(lines_[i].text, name, value) && sameName(name, key))
            return i;
    }
    return std::nullopt;
}

std::string IniFile::newLineEnd() const
{
    return defaultEnd_;
}

std::optional<std::string> IniFile::ReadString(const std::string& section, const std::string& key) const
{
    const auto range = findSection(section);
    if (!range)
        return std::nullopt;
    const auto at = findKey(*range, key);
    if (!at)
        return std::nullopt;
    std::string name, value;
    splitEntry(lines_[*at].text, name, value);
    return value;
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& def) const
{
    return ReadString(section, key).value_or(def);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key, int def) const
{
    const auto text = ReadString(section, key);
    if (!text)
        return def;
    return parseInteger(*text).value_or(def);
}

void IniFile::WriteString(const std::string& section, const std::string& key, const std::string& value)
{
    const std::string written = valueText(value);
    auto range = findSection(section);
    if (!range) {
        if (!lines_.empty()) {
            if (lines_.back().end.empty())
                lines_.back().end = newLineEnd();
            if (!trim(lines_.back().text).empty())
                lines_.push_back({"", newLineEnd()});
        }
        lines_.push_back({"[" + section + "]", newLineEnd()});
        lines_.push_back({key + "=" + written, newLineEnd()});
        return;
    }
    if (const auto at = findKey(*range, key)) {
        // Keep the key as the file spells it; only the value changes.
        const std::string& old = lines_[*at].text;
        const std::string keyText = trim(old.substr(0, old.find('=')));
        lines_[*at].text = keyText + "=" + written;
        return;
    }
    // After the section's last entry, so blank lines that part it from the next stay put.
    size_t insertAt = range->first;
    for (size_t i = range->first; i < range->last; ++i) {
        if (!trim(lines_[i].text).empty())
            insertAt = i + 1;
    }
    if (lines_[insertAt - 1].end.empty())
        lines_[insertAt - 1].end = newLineEnd();
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  Line{key + "=" + written, newLineEnd()});
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value)
{
    WriteString(section, key, std::to_string(value));
}
