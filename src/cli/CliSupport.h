// Command-line plumbing of sonorix-cli: numbers and times as a user types them, the settings
// record built from the store, an INI file and options, and the two output forms (machine text
// with a dot decimal, or the program's own locale CSV form).
#pragma once

#include "InputFile.h"
#include "Settings.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The options every analysing command accepts for its constants, as typed; unset when not
// given.
struct SettingsOptions {
    std::optional<std::string> store;   // --store
    std::optional<std::string> ini;     // --settings
    std::optional<std::string> rho, c, volt, nullAdc, spacing, chs, sens;
    bool calibrated = false;   // --calibrated: intensity by the microphones' sensitivities
};

// A number as a user types it: a dot or a comma as the decimal separator, nothing else around
// it. Not-a-number and infinities are refused.
std::optional<double> ParseNumber(const std::string& text);
std::optional<int> ParseInteger(const std::string& text);
// Comma-separated list of exactly `count` numbers ("0.5,0.5,0.25"); a comma cannot be the
// decimal separator here.
std::optional<std::vector<double>> ParseNumberList(const std::string& text, size_t count);
// Seconds: "12.5", "1:02.5" (minutes:seconds) or "0:01:02.500" (hours:minutes:seconds).
std::optional<double> ParseTime(const std::string& text);

// Help text of the options of the constants.
extern const char kSettingsHelp[];

// The record the program would use: the per-user store (or the one `--store` names), then the
// "Ust" keys an INI file of the settings dialog's form holds (`--settings`), then each option
// given. Returns an error text, empty on success.
std::string BuildSettings(const SettingsOptions& options, Settings& s);

// Window list items of the processing window, by name ("none", "hanning", ...) or number.
std::optional<int> WindowItemFromName(const std::string& name);
std::string WindowItemName(int item);
extern const char kWindowNamesHelp[];

// Machine number text: the shortest text that reads back as the same double, dot decimal;
// "nan", "inf", "-inf" for the special values.
std::string MachineNumber(double value);

// Every value that is not finite MachineNumber, LocaleNumber or JsonNumber are given is
// counted: a command compares the count before and after it puts a file's result into words,
// and a result holding such a number is reported as the file's failure, never printed.
uint64_t NonFiniteNumbersSeen();
void NoteNonFiniteNumber();
// The failure's text.
extern const char kNonFiniteResultText[];
// Text for the error stream: a control character (ESC, NUL, ... and the C1 controls) becomes
// "\xNN", so that a file name or a label cannot drive the terminal; line breaks stay where
// keepLineBreaks is set.
std::string PrintableText(const std::string& text, bool keepLineBreaks = false);
// A CSV field, quoted when it holds the separator, a quote or a line break.
std::string CsvField(const std::string& text, char separator);

// A number in the program's own CSV form: at least 7 significant digits, the default
// QLocale's decimal separator, exponent notation for very large or small values.
QString LocaleNumber(double value);

// InputFileProblem: why a file cannot be read as an input (InputFile.h).
// Why a file cannot be written as an output: a target that exists and is not a regular file
// (a directory, a device, a dangling symbolic link), or one that exists while replace is not
// set. Empty when the write may go ahead.
std::string OutputTargetProblem(const std::string& path, bool replace);

// An output that is the same file as one of the inputs (the same device and inode, so a hard or
// symbolic link and any spelling of the path count): replacing it would destroy the input,
// whatever --force says. Empty when the output is none of them or does not exist yet.
std::string SameFileProblem(const std::string& output, const std::vector<std::string>& inputs);

// Writes bytes to a new file, or over an existing one only when replace is set; the bytes go
// beside the target first, so a failed write leaves an old file as it was. The error text
// names the file and the system's reason.
std::string WriteOutputFile(const std::string& path, const std::string& bytes, bool replace);
