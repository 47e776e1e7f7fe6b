// Writing a file so that nothing is lost when the write fails: the bytes go to a temporary
// file beside the target, and only a complete, flushed and synced file is renamed over it.
// Every writer of the program's files (segments, CSV exports, INI exports) goes through here,
// so a full disk, a missing permission or a target that is a folder always leaves the old
// file as it was and yields the system's own reason.
//
// Only regular files are ever replaced: a device, a named pipe, a socket or a symbolic link
// to nothing in the target's place is refused, never turned into a file. The readers use the
// same test (NonRegularFileError) on their inputs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <system_error>

// Why a path that the system would open all the same cannot be one of the program's files.
// The texts are the program's own (the system has no words for these); a folder keeps the
// system's EISDIR.
enum class FileKindError {
    NamedPipe = 1,
    Device,
    Socket,
    NotRegular,     // any other kind of non-regular object
    DanglingLink,   // a symbolic link whose file does not exist
};
const std::error_category& FileKindCategory();
std::error_code MakeErrorCode(FileKindError error);
// No error for a regular file; EISDIR for a folder; the FileKindError of any other kind.
// mode is a stat(2) st_mode.
std::error_code NonRegularFileError(unsigned mode);

// Opens an existing file read-only (O_CLOEXEC) when it is a regular file; anything else is
// refused at once with NonRegularFileError's reason, never waited on: a named pipe is opened
// non-blocking and looked at before a byte is read, and a device is refused from a look at
// its name before it is opened. Returns the descriptor, or -1 with the reason in error.
int OpenRegularFileForReading(const std::string& path, std::error_code& error);

// Writes beside the target and renames over it only when everything is written and flushed;
// on any failure the old target is intact and the temp file removed.
//
// The temporary file is "<target>.part-<pid>-<n>.<host>": unique per process and per writer,
// so two writers never share one. A write killed before its commit (kill -9, SIGXFSZ, a
// crash) leaves its temporary file behind; the next Open of any target in the same folder
// removes every such file there written on this machine by a process that no longer runs (or
// by this process, by a writer that no longer exists). Files of any other name, and those of
// live processes or other machines sharing the folder, are never touched.
class SafeFileWriter {
public:
    // replaceExisting = false: an existing target is refused (TargetExists() tells), also
    // when it appears between Open and Commit.
    explicit SafeFileWriter(std::string target, bool replaceExisting = true);
    ~SafeFileWriter();   // discards an uncommitted temp file
    SafeFileWriter(const SafeFileWriter&) = delete;
    SafeFileWriter& operator=(const SafeFileWriter&) = delete;

    bool Open();   // false: ErrorText() says why
    bool Write(const void* data, std::size_t size);
    bool Commit();   // flush, fsync, close, rename
    void Discard();
    // The reason of the first failure: the system's error text (strerror), or a
    // FileKindCategory text for a target that is not a regular file.
    const std::string& ErrorText() const;
    // The first failure as a code (generic_category or FileKindCategory); empty without one.
    std::error_code Error() const { return error_; }
    // True when the write failed only because the target exists and replacing was not allowed:
    // the one failure a caller may answer with "replace it" (ErrorText() is then EEXIST's text).
    bool TargetExists() const { return targetExists_; }

    const std::string& Target() const { return target_; }
    // Beside the file the target names (through a symbolic link, beside the linked file);
    // empty unless open.
    const std::string& TempPath() const { return tempPath_; }

private:
    bool fail(int error);
    bool fail(std::error_code error);
    bool flushBuffer();
    bool checkTarget(bool& exists, unsigned& mode);
    void forgetTemp();

    std::string target_;
    std::string destination_;   // the target, or the file it links to
    std::string tempPath_;
    std::string buffer_;   // small writes are gathered into few system calls
    std::string errorText_;
    std::error_code error_;
    int fd_ = -1;
    bool failed_ = false;
    bool replaceExisting_ = true;
    bool targetExists_ = false;
};

// The whole file in one go, through SafeFileWriter. false with the system's reason in errorText.
bool WriteFileSafely(const std::string& target, std::string_view bytes, std::string& errorText);

// The outcome of a whole-file write for callers that must tell the user why it failed and
// whether replacing would help (the batch tool's "--force" hint).
struct SafeWriteResult {
    bool ok = false;
    std::string errorText;       // empty when ok
    bool targetExists = false;   // failed only because the target exists and !replaceExisting
};
SafeWriteResult WriteFileSafely(const std::string& target, std::string_view bytes, bool replaceExisting);
