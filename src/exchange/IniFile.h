// An INI text file in the Windows form ("[Section]" lines, then "key=value" lines), held in
// memory so that a section can be read or updated while every other line of the file stays
// exactly as it was. Plain C++: the caller reads and writes the bytes.
//
// Reading follows the Windows profile routines the files come from: section and key names
// match without regard to ASCII case, the first occurrence of a section or key wins, blanks
// around names and values are dropped, and one pair of matching quotes around a value is
// removed. Lines starting with ';' are comments.
//
// Texts in the interface are UTF-8. A file is decoded as UTF-8 when its bytes are valid
// UTF-8 (with or without a byte-order mark), otherwise as Windows-1251, the code page of
// files written on Windows; it is written back in the encoding it was read in, and a new
// file is written in Windows-1251 with CR LF line ends, as those programs expect.
#pragma once

#include <optional>
#include <string>
#include <vector>

class IniFile {
public:
    enum class Encoding { Windows1251, Utf8, Utf8WithBom };

    IniFile() = default;
    static IniFile FromBytes(const std::string& bytes);
    std::string ToBytes() const;

    Encoding encoding() const { return encoding_; }

    // The value as it stands (a text such as "1,4" is one value), or nothing when the
    // section or the key is missing.
    std::optional<std::string> ReadString(const std::string& section, const std::string& key) const;
    std::string ReadString(const std::string& section, const std::string& key, const std::string& def) const;
    // A decimal integer, or hexadecimal after "0x" or "$"; anything else, or a number outside
    // 32 bits, yields the default.
    int ReadInteger(const std::string& section, const std::string& key, int def) const;

    // Replaces the value of the first such key in place, or adds the key at the end of the
    // section, or adds the section at the end of the file. A value that would not read back
    // as itself (outer blanks, outer quotes) is written in quotes; line breaks in a value
    // become blanks, so a value can never start a line of its own.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);

private:
    struct Line {
        std::string text;   // UTF-8, without the line end
        std::string end;    // "\r\n", "\n", "\r" or "" for a last line without one
    };

    // Index range [first, last) of a section's body, the lines after its header.
    struct SectionRange {
        size_t header;
        size_t first;
        size_t last;
    };
    std::optional<SectionRange> findSection(const std::string& section) const;
    std::optional<size_t> findKey(const SectionRange& range, const std::string& key) const;
    std::string newLineEnd() const;

    std::vector<Line> lines_;
    Encoding encoding_ = Encoding::Windows1251;
    std::string defaultEnd_ = "\r\n";
};

// Windows-1251 bytes to UTF-8 and back. Characters the code page lacks become '?'.
std::string Windows1251ToUtf8(const std::string& bytes);
std::string Utf8ToWindows1251(const std::string& text);
bool IsValidUtf8(const std::string& bytes);
