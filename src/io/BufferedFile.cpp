#include "BufferedFile.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

BufferedFile::BufferedFile(size_t bufferBytes) : buffer_(bufferBytes) {}

bool BufferedFile::Open(const std::string& path, std::error_code& error)
{
    error.clear();
    Close();
    errno = 0;
    if (!file_.open(path, std::ios::in | std::ios::binary)) {
        const int code = errno;
        if (code != 0) {
            error = std::error_code(code, std::generic_category());
        } else {
            // The stream did not say why: ask the file system, and fall back to a generic reason.
            (void)std::filesystem::status(path, error);
            if (!error)
                error = std::make_error_code(std::errc::io_error);
        }
        return false;
    }
    const auto end = file_.pubseekoff(0, std::ios::end, std::ios::in);
    if (end == std::streampos(std::streamoff(-1))) {
        error = std::make_error_code(std::errc::io_error);
        file_.close();
        return false;
    }
    size_ = static_cast<int64_t>(std::streamoff(end));
    pos_ = 0;
    bufStart_ = 0;
    bufLen_ = 0;
    readFailed_ = false;
    return true;
}

bool BufferedFile::Close()
{
    bufLen_ = 0;
    size_ = 0;
    pos_ = 0;
    if (!file_.is_open())
        return false;
    return file_.close() != nullptr;
}

size_t BufferedFile::refill(int64_t position, size_t n, const uint8_t*& data)
{
    data = buffer_.data();
    bufStart_ = position;
    bufLen_ = 0;
    readFailed_ = false;
    if (!file_.is_open() || position < 0 || position >= size_)
        return 0;
    const int64_t want = std::min<int64_t>(static_cast<int64_t>(buffer_.size()), size_ - position);
    if (file_.pubseekpos(std::streampos(std::streamoff(position)), std::ios::in) ==
        std::streampos(std::streamoff(-1))) {
        readFailed_ = true;
        return 0;
    }
    int64_t got = 0;
    while (got < want) {
        const std::streamsize r = file_.sgetn(reinterpret_cast<char*>(buffer_.data() + got),
                                             static_cast<std::streamsize>(want - got));
        if (r <= 0)
            break;
        got += r;
    }
    bufLen_ = got;
    if (got < want)
        readFailed_ = true;   // the size said there was more: the file shrank or the read failed
    return static_cast<size_t>(std::min<int64_t>(got, static_cast<int64_t>(n)));
}
