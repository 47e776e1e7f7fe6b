#include "SafeFile.h"

#include "CoreText.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t kBufferBytes = 1 << 16;
constexpr int kTempNameAttempts = 100;
constexpr const char* kTempInfix = ".part-";

// The folder part of a path, for syncing the rename; "." for a bare name.
std::string folderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

class FileKindCategoryImpl : public std::error_category {
public:
    const char* name() const noexcept override { return "sonorix file kind"; }
    std::string message(int code) const override
    {
        switch (static_cast<FileKindError>(code)) {
        case FileKindError::NamedPipe:
            return CoreText("SafeFile", "Это именованный канал, а не обычный файл");
        case FileKindError::Device:
            return CoreText("SafeFile", "Это устройство, а не обычный файл");
        case FileKindError::Socket:
            return CoreText("SafeFile", "Это сокет, а не обычный файл");
        case FileKindError::NotRegular:
            return CoreText("SafeFile", "Это не обычный файл");
        case FileKindError::DanglingLink:
            return CoreText("SafeFile", "Символическая ссылка ведет к несуществующему файлу");
        }
        return CoreText("SafeFile", "Это не обычный файл");
    }
};

// The machine's name as it may stand in a file name: a folder shared between machines holds
// temporary files whose process ids mean nothing here.
const std::string& hostTag()
{
    static const std::string tag = [] {
        char name[256] = {};
        if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
            return std::string("localhost");
        std::string out;
        for (const char* p = name; *p && out.size() < 64; ++p) {
            const char c = *p;
            const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                               c == '-' || c == '_' || c == '.';
            out += plain ? c : '_';
        }
        return out;
    }();
    return tag;
}

// Temporary files of this process's writers that are open now. Guarded by liveMutex.
std::mutex liveMutex;
std::set<std::string>& liveTemps()
{
    static std::set<std::string> names;
    return names;
}
std::atomic<unsigned long> tempSerial{0};

// Digits only, no sign, fits: the pid or serial field of a temporary name.
bool parseNumber(std::string_view text, unsigned long long& value)
{
    if (text.empty() || text.size() > 19)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned long long>(c - '0');
    }
    return true;
}

// True for "<name>.part-<pid>-<n>.<host>", the temporary file of a write of any file in the
// folder, written on this machine by a writer that can no longer finish it: its process is
// gone, or it is this process and the writer is not open. A process id reused since then keeps
// the file until that process ends too: a leftover may wait, but a write in progress is never
// removed.
bool isStaleTemp(const std::string& entry, const std::string& folder)
{
    const std::string_view infix(kTempInfix);
    // The file's own name may hold the infix too: each place it occurs is tried.
    for (auto at = entry.find(infix); at != std::string::npos; at = entry.find(infix, at + 1)) {
        if (at == 0)
            continue;   // no file's name before it
        const std::string_view rest = std::string_view(entry).substr(at + infix.size());
        const auto dash = rest.find('-');
        if (dash == std::string_view::npos)
            continue;
        const auto dot = rest.find('.', dash);
        if (dot == std::string_view::npos)
            continue;
        unsigned long long pid = 0;
        unsigned long long serial = 0;
        if (!parseNumber(rest.substr(0, dash), pid) ||
            !parseNumber(rest.substr(dash + 1, dot - dash - 1), serial))
            continue;
        if (rest.substr(dot + 1) != hostTag() || pid == 0 || pid > static_cast<unsigned long long>(INT32_MAX))
            continue;
        if (static_cast<pid_t>(pid) == ::getpid()) {
            const std::lock_guard<std::mutex> lock(liveMutex);
            return liveTemps().count(folder + "/" + entry) == 0;
        }
        return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
    }
    return false;
}

// Removes the temporary files that earlier, killed writes left in the folder of destination,
// whichever file they were writing: a killed write of a file that is never written again
// would otherwise stay for good.
void removeStaleTemps(const std::string& destination)
{
    const std::string folder = folderOf(destination);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return;   // the write itself will say what is wrong with the folder
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (!isStaleTemp(name, folder))
            continue;
        // Only a regular file is a leftover of ours, whatever its name.
        struct stat st {};
        const std::string path = folder + "/" + name;
        if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            (void)::unlink(path.c_str());
    }
    ::closedir(dir);
}
}   // namespace

const std::error_category& FileKindCategory()
{
    static const FileKindCategoryImpl category;
    return category;
}

std::error_code MakeErrorCode(FileKindError error)
{
    return {static_cast<int>(error), FileKindCategory()};
}

std::error_code NonRegularFileError(unsigned mode)
{
    if (S_ISREG(mode))
        return {};
    if (S_ISDIR(mode))
        return {EISDIR, std::generic_category()};
    if (S_ISFIFO(mode))
        return MakeErrorCode(FileKindError::NamedPipe);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return MakeErrorCode(FileKindError::Device);
    if (S_ISSOCK(mode))
        return MakeErrorCode(FileKindError::Socket);
    return MakeErrorCode(FileKindError::NotRegular);
}

int OpenRegularFileForReading(const std::string& path, std::error_code& error)
{
    error.clear();
    // A look first, so a device is not even opened (opening one can act on the hardware) ...
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0 && (error = NonRegularFileError(st.st_mode)))
        return -1;
    // ... and a non-blocking open with a second look at what was opened, so a pipe put in the
    // file's place after that look cannot make the open wait for a writer. The flag has no
    // effect on the reads of a regular file.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::error_code(errno == 0 ? EIO : errno, std::generic_category());
        return -1;
    }
    if (::fstat(fd, &st) != 0)
        error = std::error_code(errno == 0 ? EIO : errno, std::generic_category());
    else
        error = NonRegularFileError(st.st_mode);
    if (error) {
        ::close(fd);
        return -1;
    }
    return fd;
}

SafeFileWriter::SafeFileWriter(std::string target, bool replaceExisting)
    : target_(std::move(target)), replaceExisting_(replaceExisting)
{
}

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
    return fail(std::error_code(error == 0 ? EIO : error, std::generic_category()));
}

bool SafeFileWriter::fail(std::error_code error)
{
    if (!failed_) {
        failed_ = true;
        error_ = error;
        errorText_ = error.message();
    }
    return false;
}

// What is in the target's place: nothing, a regular file, or a link to one. Anything else is
// refused here, before a byte is written. The mode is the linked file's.
bool SafeFileWriter::checkTarget(bool& exists, unsigned& mode)
{
    exists = false;
    mode = 0;
    struct stat st {};
    if (::lstat(target_.c_str(), &st) != 0) {
        if (errno == ENOENT)
            return true;   // a new file; a missing folder shows when the temporary file is made
        return fail(errno);
    }
    if (S_ISLNK(st.st_mode) && ::stat(target_.c_str(), &st) != 0)
        return errno == ENOENT ? fail(MakeErrorCode(FileKindError::DanglingLink)) : fail(errno);
    if (const std::error_code kind = NonRegularFileError(st.st_mode))
        return fail(kind);
    exists = true;
    mode = st.st_mode;
    return true;
}

bool SafeFileWriter::Open()
{
    Discard();
    failed_ = false;
    targetExists_ = false;
    error_.clear();
    errorText_.clear();
    if (target_.empty())
        return fail(ENOENT);
    bool exists = false;
    unsigned mode = 0;
    if (!checkTarget(exists, mode))
        return false;
    if (exists && !replaceExisting_) {
        targetExists_ = true;
        return fail(EEXIST);
    }
    // Through a symbolic link the file it names is replaced, not the link.
    destination_ = target_;
    if (exists) {
        if (char* resolved = ::realpath(target_.c_str(), nullptr)) {
            destination_ = resolved;
            std::free(resolved);
        }
    }
    removeStaleTemps(destination_);
    // Exclusive creation, so a file of someone else's is never written over, whatever its name.
    const std::string folder = folderOf(destination_);
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        std::string candidate = destination_ + kTempInfix + std::to_string(::getpid()) + "-" +
                                std::to_string(tempSerial++) + "." + hostTag();
        const std::string key = folder + "/" + nameOf(candidate);
        {
            const std::lock_guard<std::mutex> lock(liveMutex);
            liveTemps().insert(key);
        }
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            fd_ = fd;
            tempPath_ = std::move(candidate);
            // A replaced file keeps its permissions; a new one gets the umask's.
            if (exists)
                (void)::fchmod(fd_, mode & 07777);
            return true;
        }
        const int error = errno;
        {
            const std::lock_guard<std::mutex> lock(liveMutex);
            liveTemps().erase(key);
        }
        if (error != EEXIST)
            return fail(error);
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
        // The target's place may have changed since Open: rename(2) would put a file in place
        // of a device or a pipe, and refuse a folder only in other words.
        struct stat existing {};
        if (::lstat(destination_.c_str(), &existing) == 0) {
            if (const std::error_code kind = NonRegularFileError(existing.st_mode)) {
                fail(kind);
            } else if (!replaceExisting_) {
                targetExists_ = true;
                fail(EEXIST);
            }
        }
    }
    if (!failed_) {
        if (replaceExisting_) {
            if (::rename(tempPath_.c_str(), destination_.c_str()) != 0)
                fail(errno);
        } else if (::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, destination_.c_str(),
                               RENAME_NOREPLACE) != 0) {
            int error = errno;
            // A file system without the flag: the check just above has to do.
            if ((error == EINVAL || error == ENOSYS) &&
                ::rename(tempPath_.c_str(), destination_.c_str()) == 0)
                error = 0;
            if (error == EEXIST)
                targetExists_ = true;
            if (error != 0)
                fail(error);
        }
    }
    if (failed_) {
        Discard();
        return false;
    }
    forgetTemp();
    // The rename itself is durable only once the folder is synced; failing that, the file is
    // complete under one of its two names, so it is not reported.
    const int dir = ::open(folderOf(destination_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir);
        ::close(dir);
    }
    return true;
}

void SafeFileWriter::forgetTemp()
{
    if (tempPath_.empty())
        return;
    const std::lock_guard<std::mutex> lock(liveMutex);
    liveTemps().erase(folderOf(tempPath_) + "/" + nameOf(tempPath_));
    tempPath_.clear();
}

void SafeFileWriter::Discard()
{
    buffer_.clear();
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty())
        ::unlink(tempPath_.c_str());
    forgetTemp();
}

bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& errorText)
{
    const SafeWriteResult result = WriteFileSafely(target, bytes, true);
    errorText = result.errorText;
    return result.ok;
}

SafeWriteResult WriteFileSafely(const std::string& target, std::string_view bytes, bool replaceExisting)
{
    SafeFileWriter writer(target, replaceExisting);
    SafeWriteResult result;
    result.ok = writer.Open() && writer.Write(bytes.data(), bytes.size()) && writer.Commit();
    if (!result.ok) {
        result.errorText = writer.ErrorText();
        result.targetExists = writer.TargetExists();
    }
    return result;
}
