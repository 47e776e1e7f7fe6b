// The batch tool's test fixture: each test writes its files into a fresh folder of its own and
// every run points the settings store at a file there, so no run reads or writes the user's
// settings. A folder's fixture derives from it with the start of its folders' names.
#pragma once

#include "CliCommands.h"
#include "SampleGen.h"
#include "Segment.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

struct CliRun {
    int code = -1;
    std::string out;
    std::string err;
};

class CliFixture : public ::testing::Test {
protected:
    explicit CliFixture(std::string folderPrefix) : prefix_(std::move(folderPrefix)) {}

    void SetUp() override
    {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::filesystem::path(::testing::TempDir()) / (prefix_ + info->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // A run in this process, its store given after the command ("--help" alone runs as typed).
    CliRun run(std::vector<std::string> args) const
    {
        if (!args.empty() && args[0] != "--help")
            args.insert(args.begin() + 1, {"--store", path("store.ini")});
        std::ostringstream out, err;
        CliRun r;
        r.code = RunCli(args, out, err);
        r.out = out.str();
        r.err = err.str();
        return r;
    }

    // The executable itself, for what only a process shows: an exit by a signal (134 for an
    // uncaught exception) or a hang, which `timeout` turns into exit code 124. Only where the
    // test program knows the tool's path.
    CliRun runProcess(std::vector<std::string> args) const
    {
#ifdef SONORIX_CLI_PATH
        args.insert(args.begin() + 1, {"--store", path("store.ini")});
        std::string command = std::string("timeout 60 ") + SONORIX_CLI_PATH;
        for (const std::string& a : args)
            command += " '" + a + "'";
        command += " > '" + path("stdout.txt") + "' 2> '" + path("stderr.txt") + "'";
        const int status = std::system(command.c_str());
        CliRun r;
        r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        r.out = fileText(path("stdout.txt"));
        r.err = fileText(path("stderr.txt"));
        return r;
#else
        (void)args;
        return {};
#endif
    }

    static std::string fileText(const std::string& name)
    {
        std::ifstream in(name, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    // A segment of a plane wave, with the default sensitivities.
    void writeSegment(const std::string& name, const RawRecordingSpec& wave, uint32_t rate,
                      double duration) const
    {
        const int64_t n = SegmentSampleCount(rate, duration);
        const auto channels = PlaneWaveChannels(wave, rate, n);
        const auto bytes = SegmentFileContents(rate, duration, DefaultSettings().Chuv, channels);
        std::string error;
        ASSERT_TRUE(WriteBytes(path(name), bytes, &error)) << error;
    }

    std::filesystem::path dir_;

private:
    std::string prefix_;
};
