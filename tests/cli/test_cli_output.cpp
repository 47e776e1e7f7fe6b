// The batch tool's output plumbing: a standard output that cannot be written fails the run with
// the system's reason, an output never replaces one of its own inputs, bands writes each input
// as it is done, and the messages speak the system's language, one language per run.
#include "CliFixture.h"
#include "CliCommands.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#if __has_include(<pty.h>)
#include <pty.h>
#include <unistd.h>
#define SONORIX_HAVE_PTY 1
#endif

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using ToolRun = CliRun;

bool hasCyrillic(const std::string& text)
{
    // The UTF-8 lead bytes of U+0400..U+04FF.
    return text.find('\xD0') != std::string::npos || text.find('\xD1') != std::string::npos;
}

// Sets the locale variables for its lifetime and puts the old ones back.
class LocaleEnvironment {
public:
    explicit LocaleEnvironment(const std::string& lcAll)
    {
        for (const char* name : kNames) {
            const char* value = std::getenv(name);
            saved_.emplace_back(value ? std::optional<std::string>(value) : std::nullopt);
            ::unsetenv(name);
        }
        ::setenv("LC_ALL", lcAll.c_str(), 1);
    }
    ~LocaleEnvironment()
    {
        for (size_t i = 0; i < saved_.size(); ++i) {
            if (saved_[i])
                ::setenv(kNames[i], saved_[i]->c_str(), 1);
            else
                ::unsetenv(kNames[i]);
        }
    }
    LocaleEnvironment(const LocaleEnvironment&) = delete;
    LocaleEnvironment& operator=(const LocaleEnvironment&) = delete;

private:
    static constexpr const char* kNames[] = {"LC_ALL", "LC_MESSAGES", "LANG", "LANGUAGE"};
    std::vector<std::optional<std::string>> saved_;
};

class CliOutputTest : public CliFixture {
protected:
    CliOutputTest() : CliFixture("cli_output_") {}

    // The executable, its standard output sent where `redirect` says (a shell redirection).
    ToolRun runRedirected(std::vector<std::string> args, const std::string& redirect) const
    {
        ToolRun r;
#ifdef SONORIX_CLI_PATH
        args.insert(args.begin() + 1, {"--store", path("store.ini")});
        std::string command = std::string("LC_ALL=C timeout 60 ") + SONORIX_CLI_PATH;
        for (const std::string& a : args)
            command += " '" + a + "'";
        command += " " + redirect + " 2> '" + path("stderr.txt") + "'";
        const int status = std::system(command.c_str());
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.err = fileText(path("stderr.txt"));
#else
        (void)args;
        (void)redirect;
#endif
        return r;
    }

    // One second of a slow plane wave, with the default sensitivities.
    void writeSegment(const std::string& name) const
    {
        RawRecordingSpec wave;
        wave.frequency = 40.0;
        wave.amplitude = 1000.0;
        const uint32_t rate = 2000;
        const auto channels = PlaneWaveChannels(wave, rate, SegmentSampleCount(rate, 1.0));
        std::string error;
        ASSERT_TRUE(
            WriteBytes(path(name), SegmentFileContents(rate, 1.0, DefaultSettings().Chuv, channels), &error))
            << error;
    }
};

// The header of a six-channel 16-bit WAV file without a single frame.
std::vector<uint8_t> emptyWav()
{
    std::vector<uint8_t> bytes;
    auto text = [&](const char* t) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<uint8_t>(t[i]));
    };
    auto word = [&](uint32_t v, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    text("RIFF");
    word(36, 4);
    text("WAVE");
    text("fmt ");
    word(16, 4);
    word(1, 2);            // PCM
    word(6, 2);            // channels
    word(48000, 4);        // rate
    word(48000 * 12, 4);   // bytes per second
    word(12, 2);           // bytes per frame
    word(16, 2);           // bits
    text("data");
    word(0, 4);
    return bytes;
}

}   // namespace

#ifdef SONORIX_CLI_PATH
// Small outputs fail at the last flush, large ones on the way: both say why and exit 1.
TEST_F(CliOutputTest, AStandardOutputThatCannotBeWrittenFailsTheRunWithTheSystemsReason)
{
    writeSegment("seg.kvnb");
    std::ofstream(path("survey.csv")) << "file,area,face\nseg.kvnb,0.25,+x\n";
    const std::vector<std::vector<std::string>> commands = {
        {"info", path("seg.kvnb")},
        {"info", path("seg.kvnb"), "--json"},
        {"intensity", "--demo"},
        {"intensity", "--demo", "--json"},
        {"bands", "--demo"},
        {"bands", "--demo", "--json"},
        {"bands", path("seg.kvnb"), path("seg.kvnb"), path("seg.kvnb")},
        {"power", path("survey.csv")},
        {"power", path("survey.csv"), "--json"},
        {"calibrate", path("seg.kvnb"), "--level", "94", "--freq", "40", "--json"},
        {"--help"},
    };
    for (const auto& args : commands) {
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        const ToolRun full = runRedirected(args, "> /dev/full");
        EXPECT_EQ(full.code, kExitSomeFailed) << shown << full.err;
        EXPECT_NE(full.err.find("sonorix-cli: cannot write the standard output: No space left on device"),
                  std::string::npos)
            << shown << full.err;
        // The same run to a file succeeds as before (calibrate fails its microphones anyway).
        const ToolRun file = runRedirected(args, "> '" + path("out.txt") + "'");
        EXPECT_EQ(file.err.find("standard output"), std::string::npos) << shown << file.err;
        EXPECT_FALSE(fileText(path("out.txt")).empty()) << shown;
    }
}
#endif

// Whatever --force says and however the output is spelled, an input is never its own output.
TEST_F(CliOutputTest, AnOutputThatIsItsOwnInputIsRefusedAndTheInputKept)
{
    RawRecordingSpec spec;
    spec.frequency = 40.0;
    spec.amplitude = 1000.0;
    std::string error;
    ASSERT_TRUE(WriteRawRecording(path("rec.dat"), spec, &error)) << error;
    writeSegment("seg.kvnb");
    fs::create_hard_link(path("rec.dat"), path("hard.dat"));
    fs::create_symlink(path("rec.dat"), path("soft.dat"));
    fs::create_symlink(path("seg.kvnb"), path("soft.kvnb"));
    std::ofstream(path("survey.csv")) << "file,area,face\nseg.kvnb,0.25,+x\n";
    const std::string recording = fileText(path("rec.dat"));
    const std::string segment = fileText(path("seg.kvnb"));
    const std::string survey = fileText(path("survey.csv"));
    const std::string dotted = (dir_ / "." / "rec.dat").string();

    const std::vector<std::vector<std::string>> commands = {
        {"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("rec.dat"), "--force"},
        {"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", dotted, "--force"},
        {"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("hard.dat"), "--force"},
        {"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("soft.dat"), "--force"},
        {"cut", path("soft.dat"), "--from", "0", "--to", "1", "-o", path("rec.dat")},
        {"spectra", path("seg.kvnb"), "-o", path("soft.kvnb"), "--force"},
        {"intensity", path("seg.kvnb"), "--spectra-csv", path("{}.kvnb"), "--force"},
        {"power", path("survey.csv"), "--report", path("survey.csv")},
        {"power", path("survey.csv"), "--report", path("soft.kvnb")},
    };
    for (const auto& args : commands) {
        const ToolRun r = run(args);
        EXPECT_EQ(r.code, kExitUsage) << args[0] << " " << args.back() << r.err;
        EXPECT_NE(r.err.find("is the same file as the input"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(fileText(path("rec.dat")), recording);
        EXPECT_EQ(fileText(path("seg.kvnb")), segment);
        EXPECT_EQ(fileText(path("survey.csv")), survey);
    }
    // Another file is written as before.
    EXPECT_EQ(run({"cut", path("rec.dat"), "--from", "0", "--to", "1", "-o", path("cut.kvnb")}).code,
              kExitOk);
}

// Each input's rows are out before the next input is read: a failure of a later input is
// reported after the earlier input's rows, and the table is the same as when written at once.
TEST_F(CliOutputTest, BandsWritesEachInputAsItIsDone)
{
    writeSegment("a.kvnb");
    writeSegment("c.kvnb");
    for (const bool json : {false, true}) {
        std::vector<std::string> args = {"bands",        "--store",      path("store.ini"),
                                         path("a.kvnb"), path("b.kvnb"), path("c.kvnb")};
        if (json)
            args.push_back("--json");
        std::ostringstream both;
        EXPECT_EQ(RunCli(args, both, both), kExitSomeFailed);
        const std::string text = both.str();
        const size_t firstRows = text.find(path("a.kvnb"));
        const size_t failure = text.find("sonorix-cli: " + path("b.kvnb"));
        const size_t lastRows = text.find(path("c.kvnb"));
        ASSERT_NE(failure, std::string::npos) << text;
        EXPECT_LT(firstRows, failure) << text;
        EXPECT_LT(failure, lastRows) << text;

        // Apart from the message, the stream is the table of the two good inputs.
        std::vector<std::string> good = {"bands", path("a.kvnb"), path("c.kvnb")};
        if (json)
            good.push_back("--json");
        const ToolRun alone = run(good);
        std::string table = text;
        const size_t lineEnd = table.find('\n', failure);
        table.erase(failure, lineEnd + 1 - failure);
        EXPECT_EQ(table, alone.out);
        if (json) {
            EXPECT_EQ(alone.out.rfind("[\n {", 0), 0u) << alone.out;
            EXPECT_NE(alone.out.find("},\n {"), std::string::npos);
            EXPECT_EQ(alone.out.substr(alone.out.size() - 4), "}\n]\n");
        }
    }
    // No input read at all: the empty document and the bare header, as before.
    EXPECT_EQ(run({"bands", path("none.kvnb"), "--json"}).out, "[\n]\n");
    EXPECT_EQ(run({"bands", path("none.kvnb")}).out.find("file,fraction,"), 0u);
}

// One failing command under each system language: English throughout under an English or C
// locale (the core's texts translated too), Russian throughout under a Russian one.
TEST_F(CliOutputTest, MessagesFollowTheSystemsLanguage)
{
    writeSegment("seg.kvnb");
    fs::create_directories(path("folder"));
    std::string error;
    ASSERT_TRUE(WriteBytes(path("empty.wav"), emptyWav(), &error)) << error;
    std::ofstream(path("survey.csv")) << "file,area,face\nfolder,0.25,+x\nseg.kvnb,0.25,-x\n";

    struct Case {
        std::vector<std::string> args;
        const char* english;
        const char* russian;
    };
    const std::vector<Case> cases = {
        {{"info", path("none.kvnb")},
         "cannot open: No such file or directory",
         "не удалось открыть: Нет такого файла или каталога"},
        {{"intensity", path("empty.wav")},
         "the recording holds no samples",
         "в записи нет ни одного отсчета"},
        {{"power", path("survey.csv")}, "folder: is a directory", "folder: это папка, а не файл"},
        {{"calibrate", path("seg.kvnb"), "--level", "94", "--freq", "1000"},
         "microphone 1: ",
         "микрофон 1: "},
        {{"bands", "--demo", "--bogus"},
         "unknown option --bogus (see bands --help)",
         "неизвестный параметр --bogus (см. bands --help)"},
        {{"bands", "--demo", "--fraction", "5"}, "--fraction: expected 1", "--fraction: нужно 1"},
        {{"cut", path("seg.kvnb"), "--from", "0", "--to", "1", "-o", path("x.kvnb")},
         "not a raw recording",
         "не файл записи"},
    };
    for (const Case& c : cases) {
        for (const char* locale : {"C", "en_US.UTF-8", "ru_RU.UTF-8"}) {
            const LocaleEnvironment environment(locale);
            const bool russian = std::string(locale).rfind("ru", 0) == 0;
            const ToolRun r = run(c.args);
            EXPECT_NE(r.code, kExitOk) << c.args[0];
            EXPECT_NE(r.err.find(russian ? c.russian : c.english), std::string::npos)
                << locale << ": " << r.err;
            if (!russian)
                EXPECT_FALSE(hasCyrillic(r.err)) << locale << ": " << r.err;
            else
                EXPECT_EQ(r.err.find(c.english), std::string::npos) << r.err;
        }
    }
    // Machine output is the same in both languages.
    std::string outputs[2];
    for (int i = 0; i < 2; ++i) {
        const LocaleEnvironment environment(i ? "ru_RU.UTF-8" : "C");
        outputs[i] = run({"bands", path("seg.kvnb"), "--json"}).out;
    }
    EXPECT_EQ(outputs[0], outputs[1]);
    EXPECT_FALSE(hasCyrillic(outputs[0]));
}

#if defined(SONORIX_CLI_PATH) && defined(SONORIX_HAVE_PTY)
// On a terminal the progress line is wiped before a message, never run on into it.
TEST_F(CliOutputTest, AMessageEndsTheProgressLineFirst)
{
    writeSegment("a.kvnb");
    int terminal = -1;
    const pid_t child = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("LC_ALL", "C", 1);
        ::execl(SONORIX_CLI_PATH, SONORIX_CLI_PATH, "bands", "--store", path("store.ini").c_str(),
                path("none.kvnb").c_str(), path("a.kvnb").c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    std::string seen;
    char buffer[4096];
    for (ssize_t n; (n = ::read(terminal, buffer, sizeof buffer)) > 0;)
        seen.append(buffer, static_cast<size_t>(n));
    int status = 0;
    ::waitpid(child, &status, 0);
    ::close(terminal);
    const size_t message = seen.find("sonorix-cli: " + path("none.kvnb"));
    ASSERT_NE(message, std::string::npos) << seen;
    EXPECT_NE(seen.find("[1/2] " + path("none.kvnb")), std::string::npos) << seen;
    EXPECT_EQ(seen.substr(message - 4, 4), "\r\033[K") << seen;
}
#endif
