#include "SafeFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {
constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kTempNameAttempts = 100;

std::string systemText(int error)
{
    return std::generic_category().message(error);
}

// The folder part of a path, for syncing the rename; "." for a bare name.
std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}
}  // namespace

SafeFileWriter::SafeFileWriter(std::string target) : target_(std::move(target)) {}

SafeFileWriter::~SafeFileWriter()
{
    Discard();
}

const std::string& SafeFileWriter::ErrorText() const
{
    return errorText_;
}

bool SafeFileWriter::fail(int error)
{
    if (!failed_) {
        failed_ = true;
        errorText_ = systemText(error == 0 ? EIO : error);
    }
    return false;
}

bool SafeFileWriter::Open()
{
    Discard();
    failed_ = false;
    errorText_.clear();
    if (target_.empty())
        return fail(ENOENT);
    // A rename would fail on a folder anyway, but only after the whole file had been written.
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return fail(EISDIR);
    // Through a symbolic link the file it names is replaced, not the link.
    destination_ = target_;
    if (exists) {
        if (char* resolved = ::realpath(target_.c_str(), nullptr)) {
            destination_ = resolved;
            std::free(resolved);
        }
    }
    // Exclusive creation, so a stale or foreign temporary file is never written over.
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        std::string candidate = destination_ + ".part" + (attempt ? std::to_string(attempt) : std::string());
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            tempPath_ = std::move(candidate);
            // A replaced file keeps its permissions; a new one gets the umask's.
            if (exists)
                (void)::fchmod(fd_, existing.st_mode & 07777);
            return true;
        }
        if (errno != EEXIST)
            return fail(errno);
    }
    return fail(EEXIST);
}

bool SafeFileWriter::flushBuffer()
{
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            buffer_.clear();
            return fail(errno);
        }
        if (n == 0) {
            buffer_.clear();
            return fail(ENOSPC);
        }
        done += static_cast<std::size_t>(n);
    }
    buffer_.clear();
    return true;
}

bool SafeFileWriter::Write(const void* data, std::size_t size)
{
    if (failed_)
        return false;
    if (fd_ < 0)
        return fail(EBADF);
    if (size == 0)
        return true;
    if (data == nullptr)
        return fail(EINVAL);
    const auto* bytes = static_cast<const char*>(data);
    if (buffer_.size() + size <= kBufferBytes) {
        buffer_.append(bytes, size);
        return true;
    }
    if (!flushBuffer())
        return false;
    if (size < kBufferBytes) {
        buffer_.assign(bytes, size);
        return true;
    }
    // Large blocks go straight out, without a copy.
    buffer_.clear();
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, bytes + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        if (n == 0)
            return fail(ENOSPC);
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool SafeFileWriter::Commit()
{
    if (fd_ < 0) {
        if (!failed_)
            fail(EBADF);
        return false;
    }
    // A full disk often shows only here: the data may sit in the page cache until the sync.
    if (!failed_ && flushBuffer() && ::fsync(fd_) != 0)
        fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && !failed_)
        fail(errno);
    if (!failed_) {
        // The target may have become a folder since Open; rename(2) would refuse it too, but
        // say so in the same words.
        struct stat existing {};
        if (::stat(destination_.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode))
            fail(EISDIR);
        else if (::rename(tempPath_.c_str(), destination_.c_str()) != 0)
            fail(errno);
    }
    if (failed_) {
        Discard();
        return false;
    }
    tempPath_.clear();
    // The rename itself is durable only once the folder is synced; failing that, the file is
    // complete under one of its two names, so it is not reported.
    const int dir = ::open(folderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

void SafeFileWriter::Discard()
{
    buffer_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& errorText)
{
    SafeFileWriter writer(target);
    const bool ok = writer.Open() && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
    errorText = ok ? std::string() : writer.ErrorText();
    return ok;
}
