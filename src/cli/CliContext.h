// What the commands of sonorix-cli share: the command line every command accepts, the run's
// context (streams, presenter, record, output form), the interface a command implements, and the
// steps several commands take (reading a segment, opening a recording, the signal and window
// options).
#pragma once

#include "CliCommands.h"
#include "CliSupport.h"
#include "InputFile.h"
#include "Recording.h"
#include "Segment.h"
#include "Settings.h"
#include "StderrPresenter.h"

#include <QStringList>

#include <memory>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace CLI {
class App;
}
class TReadIshFile;

// The part of the command line every command has.
struct CommandLine {
    std::vector<std::string> files;
    SettingsOptions settings;
    // Each --locale given: the locale's name, empty for the user's own; the last one counts.
    std::vector<std::string> locale;
};

// "--x V" or "--x=V"; given twice, the last one counts.
void AddValueOption(CLI::App& app, const std::string& name, std::optional<std::string>& target);
// A flag; "--x=V" is refused by the parser.
void AddFlagOption(CLI::App& app, const std::string& name, bool& target);
// "--locale" alone, or "--locale=NAME" (never "--locale NAME": the next word stays a file).
void AddLocaleOption(CLI::App& app, std::vector<std::string>& given);

// What one run needs: the streams, the presenter, the output form and the record.
struct Context {
    std::ostream& out;
    std::ostream& err;
    StderrPresenter& presenter;
    Settings& settings;
    bool progress = false;
    bool localeForm = false;
    // Whether the sensitivities were typed (--sens); with the record's calibrated option, what
    // every input's pascals are decided by.
    bool sensitivitiesFromOption = false;

    PascalRequest pascalRequest() const;

    void fail(const std::string& file, const std::string& text) const;
    void showProgress(size_t index, size_t total, const std::string& file) const;
    void endProgress() const;
};

class CliCommand {
public:
    virtual ~CliCommand() = default;
    // The command's usage text; "%WINDOWS%" stands for the list of window names.
    virtual const char* help() const = 0;
    // Registers the command's own options; the shared ones are registered by the caller.
    virtual void addOptions(CLI::App& app, CommandLine& line) = 0;
    // A command line the command cannot run at all, found before the record is built.
    virtual std::string usageProblem(const CommandLine&) const { return {}; }
    virtual int run(const Context& ctx, const CommandLine& line) = 0;
};

std::unique_ptr<CliCommand> MakeInfoCommand();
std::unique_ptr<CliCommand> MakeCutCommand();
std::unique_ptr<CliCommand> MakeSpectraCommand();
std::unique_ptr<CliCommand> MakeIntensityCommand();
std::unique_ptr<CliCommand> MakeBandsCommand();
std::unique_ptr<CliCommand> MakeCalibrateCommand();
std::unique_ptr<CliCommand> MakePowerCommand();

// The help text with the window names in place of %WINDOWS%, their continuation lines indented
// to the column where the option's description starts.
std::string WithWindowNames(const char* help);

// Runs one file's step so that nothing a routine throws can end the batch (or the process):
// the file is reported as failed and the others go on.
// The refusal of a step whose memory the system would not give.
std::string MemoryShortText();

template <typename Step> bool Guarded(const Context& ctx, const std::string& path, Step step)
{
    try {
        return step();
    } catch (const std::bad_alloc&) {
        ctx.fail(path, MemoryShortText());
    } catch (const std::exception& e) {
        ctx.fail(path, std::string("unexpected failure: ") + e.what());
    } catch (...) {
        ctx.fail(path, "unexpected failure");
    }
    return false;
}

// "Take" of "dir/Take.kvnb".
std::string BaseName(const std::string& path);
// `count` bytes at `offset` from the start (or, with fromEnd, from the end).
std::optional<std::string> ReadBytesAt(const std::string& path, std::streamoff offset, size_t count,
                                       bool fromEnd = false);

// Opens the recording and reads its duration and rate; false once the reader or this has
// said why the file cannot be used.
bool OpenRecording(const Context& ctx, const std::string& path, TReadIshFile& reader, uint16_t& h,
                   uint16_t& m, uint16_t& s, uint32_t& rate);

// --signal: 0 impulse, 1 periodic, unset when not given; `bad` is set after a message.
std::optional<int> SignalFromOption(const Context& ctx, const std::optional<std::string>& text, bool& bad);
// --window, or the processing window's last choice when not given.
std::optional<int> WindowFromOption(const Context& ctx, const std::optional<std::string>& text, bool& bad);

// The lines as a file's bytes: the program's own CSV encoding, or UTF-8 with LF.
std::string EncodeLines(const QStringList& lines, bool localeForm);
// A number in the run's output form.
QString OutputNumber(const Context& ctx, double value);
