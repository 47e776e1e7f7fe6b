// Helpers shared by the file-reader tests: a scratch folder per test and message checks.
#pragma once

#include "RecordingPresenter.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>
#include <fstream>
#include <string>
#include <vector>

// A fresh folder for one test, removed with everything in it afterwards.
class ScratchDir {
public:
    ScratchDir()
    {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        dir_ = std::filesystem::temp_directory_path() /
               ("sonorix-io-" + std::to_string(::getpid()) + "-" + name);
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    ~ScratchDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string Path(const std::string& file) const { return (dir_ / file).string(); }
    const std::filesystem::path& Dir() const { return dir_; }

private:
    std::filesystem::path dir_;
};

inline std::vector<uint8_t> ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The texts of the boxes shown, in order, as "caption|text".
inline std::vector<std::string> Shown(const RecordingPresenter& rec)
{
    std::vector<std::string> out;
    for (const auto& m : rec.messages)
        out.push_back((m.kind == MessageKind::Plain ? std::string("plain") : m.caption) + "|" + m.text);
    return out;
}
