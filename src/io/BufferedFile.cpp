#include "BufferedFile.h"

#include "SafeFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::error_code systemError(int code)
{
    return {code == 0 ? EIO : code, std::generic_category()};
}
}   // namespace

BufferedFile::BufferedFile(size_t bufferBytes) : buffer_(bufferBytes) {}

BufferedFile::~BufferedFile()
{
    Close();
}

bool BufferedFile::Open(const std::string& path, std::error_code& error)
{
    error.clear();
    Close();
    const int fd = OpenRegularFileForReading(path, error);
    if (fd < 0)
        return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        error = systemError(errno);
        ::close(fd);
        return false;
    }
    fd_ = fd;
    size_ = static_cast<int64_t>(st.st_size);
    pos_ = 0;
    bufStart_ = 0;
    bufLen_ = 0;
    readFailed_ = false;
    readError_.clear();
    return true;
}

bool BufferedFile::Close()
{
    bufLen_ = 0;
    size_ = 0;
    pos_ = 0;
    if (fd_ < 0)
        return false;
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

size_t BufferedFile::refill(int64_t position, size_t n, const uint8_t*& data)
{
    data = buffer_.data();
    bufStart_ = position;
    bufLen_ = 0;
    readFailed_ = false;
    readError_.clear();
    if (fd_ < 0 || position < 0 || position >= size_)
        return 0;
    const int64_t want = std::min<int64_t>(static_cast<int64_t>(buffer_.size()), size_ - position);
    int64_t got = 0;
    while (got < want) {
        const ssize_t r = ::pread(fd_, buffer_.data() + got, static_cast<size_t>(want - got),
                                  static_cast<off_t>(position + got));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0) {
            readError_ = systemError(errno);
            break;
        }
        if (r == 0) {
            readError_ = systemError(EIO);   // the size said there was more: the file shrank
            break;
        }
        got += r;
    }
    bufLen_ = got;
    if (got < want)
        readFailed_ = true;
    return static_cast<size_t>(std::min<int64_t>(got, static_cast<int64_t>(n)));
}
