// Writing a file so that nothing is lost when the write fails: the bytes go to a temporary
// file beside the target, and only a complete, flushed and synced file is renamed over it.
// Every writer of the program's files (segments, CSV exports, INI exports) goes through here,
// so a full disk, a missing permission or a target that is a folder always leaves the old
// file as it was and yields the system's own reason.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Writes beside the target ("<target>.part", or .part1... if taken) and renames over it only
// when everything is written and flushed; on any failure the old target is intact and the temp
// file removed.
class SafeFileWriter {
public:
    explicit SafeFileWriter(std::string target);
    ~SafeFileWriter();                         // discards an uncommitted temp file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool Open();                               // false: ErrorText() says why
    bool Write(const void* data, std::size_t size);
    bool Commit();                             // flush, fsync, close, rename
    void Discard();
    const std::string& ErrorText() const;      // the system's error text (strerror) of the first failure

    const std::string& Target() const { return target_; }
    // Beside the file the target names (through a symbolic link, beside the linked file);
    // empty unless open.
    const std::string& TempPath() const { return tempPath_; }

private:
    bool fail(int error);
    bool flushBuffer();

    std::string target_;
    std::string destination_;   // the target, or the file it links to
    std::string tempPath_;
    std::string buffer_;   // small writes are gathered into few system calls
    std::string errorText_;
    int fd_ = -1;
    bool failed_ = false;
};

// The whole file in one go, through SafeFileWriter. false with the system's reason in errorText.
bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& errorText);
