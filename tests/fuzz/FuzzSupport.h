// What every fuzz target shares: a private scratch folder for the files the readers open
// (created once per process, removed at exit) and the split of an input into the file's bytes
// and a short trailer of control bytes that choose what the target does with the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

namespace fuzz {

inline const std::filesystem::path& ScratchDir()
{
    static const std::filesystem::path dir = [] {
        std::string pattern = (std::filesystem::temp_directory_path() / "sonorix-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static std::filesystem::path made = pattern;
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return made;
    }();
    return dir;
}

// Writes bytes to a file in the scratch folder and returns its path. A failure here is the
// harness's, not the reader's: abort so it is never mistaken for a clean run.
inline std::string WriteScratchFile(const std::string& name, const uint8_t* data, size_t size)
{
    const std::string path = (ScratchDir() / name).string();
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f || (size > 0 && std::fwrite(data, 1, size, f) != size) || std::fclose(f) != 0) {
        std::perror(path.c_str());
        std::abort();
    }
    return path;
}

// An input is the file's bytes followed by kControlBytes control bytes. Seeds are written in
// this form (make_seeds.cpp); an input shorter than the trailer is all file, no control.
constexpr size_t kControlBytes = 16;

struct SplitInput {
    std::string_view file;
    std::string_view control;
};

inline SplitInput Split(const uint8_t* data, size_t size)
{
    const auto* chars = reinterpret_cast<const char*>(data);
    if (size < kControlBytes)
        return {std::string_view(chars, size), {}};
    return {std::string_view(chars, size - kControlBytes),
            std::string_view(chars + size - kControlBytes, kControlBytes)};
}

// Reads control bytes in order; past the end it yields 0, so every input means something.
class Control {
public:
    explicit Control(std::string_view bytes) : bytes_(bytes) {}
    uint8_t Next() { return pos_ < bytes_.size() ? static_cast<uint8_t>(bytes_[pos_++]) : 0; }
    bool Done() const { return pos_ >= bytes_.size(); }

private:
    std::string_view bytes_;
    size_t pos_ = 0;
};

}   // namespace fuzz
