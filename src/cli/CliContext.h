// What the commands of sonorix-cli share: the run's context (streams, presenter, output form,
// settings record), reading a segment or a recording with the tool's checks, the options
// several commands take, and the table of commands the dispatcher runs.
#pragma once

#include "CliCommands.h"
#include "CliJson.h"
#include "CliSupport.h"
#include "StderrPresenter.h"

#include "ReadIshFile.h"
#include "Segment.h"

#include <QStringList>

#include <exception>
#include <iosfwd>
#include <optional>
#include <set>
#include <string>

// What one run needs: the streams, the presenter, the output form and the record.
struct Context {
    std::ostream& out;
    std::ostream& err;
    StderrPresenter& presenter;
    Settings& settings;
    bool progress = false;
    bool localeForm = false;

    void fail(const std::string& file, const std::string& text) const
    {
        err << "sonorix-cli: " << (file.empty() ? "" : file + ": ") << text << '\n';
    }
    void showProgress(size_t index, size_t total, const std::string& file) const
    {
        if (progress)
            err << "\r\033[K[" << index + 1 << '/' << total << "] " << file << std::flush;
    }
    void endProgress() const
    {
        if (progress)
            err << "\r\033[K" << std::flush;
    }
};

// Runs one file's step so that nothing a routine throws can end the batch (or the process):
// the file is reported as failed and the others go on.
template <typename Step> bool Guarded(const Context& ctx, const std::string& path, Step step)
{
    try {
        return step();
    } catch (const std::exception& e) {
        ctx.fail(path, std::string("unexpected failure: ") + e.what());
    } catch (...) {
        ctx.fail(path, "unexpected failure");
    }
    return false;
}

// Help texts: %WINDOWS% replaced by the window names, indented to the option's description.
std::string WithWindows(const char* help);
// The window names on one line, for a message.
std::string WindowNamesInline();
// ".kvnb" of "a/b.KVNB"; empty without an extension.
std::string LowerExtension(const std::string& path);
// "b" of "a/b.kvnb".
std::string BaseName(const std::string& path);
// count bytes at offset (from the end when fromEnd); none when the file is shorter.
std::optional<std::string> ReadBytesAt(const std::string& path, std::streamoff offset, size_t count,
                                       bool fromEnd = false);
// Reads a whole segment; false after its messages (or a line of its own) on the error stream.
bool LoadSegment(const Context& ctx, const std::string& path, Segment& segment);
// Opens a raw recording and reads its duration and rate; false once the reader or this has
// said why the file cannot be used.
bool OpenRecording(const Context& ctx, const std::string& path, TReadIshFile& reader, uint16_t& h,
                   uint16_t& m, uint16_t& s, uint32_t& rate);
// --signal and --window; bad is set (after a message) when a value is not one of the names.
std::optional<int> SignalFromOption(const ParsedArgs& args, const Context& ctx, bool& bad);
std::optional<int> WindowFromOption(const ParsedArgs& args, const Context& ctx, bool& bad);
// The lines as the output form writes them: the program's CSV bytes, or UTF-8 with LF.
std::string EncodeLines(const QStringList& lines, bool localeForm);

// A command of the tool: its name, help, options and what runs it.
struct CliCommand {
    const char* name;
    const char* help;
    std::set<std::string> valueOptions;   // besides the constants' options
    std::set<std::string> flagOptions;    // besides --help and -h
    int (*run)(const Context& ctx, const ParsedArgs& args);
};

const CliCommand& InfoCommand();
const CliCommand& CutCommand();
const CliCommand& SpectraCommand();
const CliCommand& IntensityCommand();
