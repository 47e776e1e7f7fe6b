// Read-only file with a large read-ahead buffer and 64-bit positions. The raw reader walks
// a recording 16 bytes at a time and jumps by whole seconds; going through the buffer keeps
// each record a few compares away from the page cache instead of a system call.
//
// Only regular files are opened: a folder, a named pipe, a device or a socket is refused at
// once with its reason (OpenRegularFileForReading in SafeFile.h), and never waited on. Nothing here
// throws: a failed read is a short count, ReadFailed() and the system's reason in ReadError().
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

class BufferedFile {
public:
    explicit BufferedFile(size_t bufferBytes = size_t{1} << 20);
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // Opens for reading and takes the size. On failure returns false with the system's reason
    // (or the FileKindCategory reason of an object that is not a regular file).
    bool Open(const std::string& path, std::error_code& error);
    // Returns false when the file could not be closed cleanly (or none was open).
    bool Close();
    bool IsOpen() const { return fd_ >= 0; }

    int64_t Size() const { return size_; }
    int64_t Position() const { return pos_; }
    // Any position is accepted, also past the end; reads there find nothing.
    void Seek(int64_t position) { pos_ = position; }
    void Skip(int64_t delta) { pos_ += delta; }

    // Makes up to n bytes at the current position readable at data without moving.
    // Returns how many: fewer than n at the end of the file or after a read failure
    // (ReadFailed() tells which). n must not exceed the buffer size.
    size_t Peek(size_t n, const uint8_t*& data) { return PeekAt(pos_, n, data); }
    // As Peek, at any position; the current position does not change. A later Peek may
    // move the buffer, so data is valid until the next Peek or PeekAt.
    size_t PeekAt(int64_t position, size_t n, const uint8_t*& data)
    {
        if (position >= bufStart_ && position + static_cast<int64_t>(n) <= bufStart_ + bufLen_) {
            data = buffer_.data() + (position - bufStart_);
            return n;
        }
        return refill(position, n, data);
    }
    // True when the last buffer fill got less than the size promised: a read error, or the
    // file shrank since it was opened.
    bool ReadFailed() const { return readFailed_; }
    // The system's reason of the last failed fill (EIO for a file that shrank); empty when the
    // last fill succeeded.
    std::error_code ReadError() const { return readError_; }
    // The bytes already buffered from the current position on, without reading: lets a
    // caller walk many records per buffer fill. 0 when the position is outside the buffer.
    size_t Buffered(const uint8_t*& data) const
    {
        if (pos_ < bufStart_ || pos_ >= bufStart_ + bufLen_)
            return 0;
        data = buffer_.data() + (pos_ - bufStart_);
        return static_cast<size_t>(bufStart_ + bufLen_ - pos_);
    }

private:
    size_t refill(int64_t position, size_t n, const uint8_t*& data);

    int fd_ = -1;
    std::vector<uint8_t> buffer_;
    int64_t bufStart_ = 0;   // file offset of buffer_[0]
    int64_t bufLen_ = 0;     // valid bytes in buffer_
    int64_t pos_ = 0;
    int64_t size_ = 0;
    bool readFailed_ = false;
    std::error_code readError_;
};
