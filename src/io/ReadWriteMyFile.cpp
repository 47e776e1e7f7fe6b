#include "ReadWriteMyFile.h"

#include "CoreText.h"
#include "MessageBox.h"
#include "SafeFile.h"
#include "SettingLimits.h"

#include <bit>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace {
const char* const kDamagedCaption = "ВНИМАНИЕ";

const char* const kTooShortText = SONORIX_TEXT_NOOP(
    "ReadWriteMyFile",
    "Файл сегмента поврежден: он короче, чем требует его заголовок. Файл не может быть открыт.");

constexpr bool kLittleEndianHost = std::endian::native == std::endian::little;

template <typename T> T fromLittleEndian(const unsigned char* bytes)
{
    unsigned char ordered[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i)
        ordered[i] = bytes[kLittleEndianHost ? i : sizeof(T) - 1 - i];
    T value;
    std::memcpy(&value, ordered, sizeof(T));
    return value;
}

template <typename T> void toLittleEndian(T value, unsigned char* bytes)
{
    unsigned char raw[sizeof(T)];
    std::memcpy(raw, &value, sizeof(T));
    for (size_t i = 0; i < sizeof(T); ++i)
        bytes[i] = raw[kLittleEndianHost ? i : sizeof(T) - 1 - i];
}

bool positiveFinite(double v)
{
    return std::isfinite(v) && v > 0.0;
}

// Seconds in the form the program's Russian messages use: a decimal comma, no trailing zeros.
std::string secondsText(double seconds)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", seconds);
    std::string out = text;
    for (char& c : out)
        if (c == '.')
            c = ',';
    return out;
}
}   // namespace

void TReadWriteMyFile::showSystemText(const std::string& text)
{
    errorText_ = text.empty() ? std::generic_category().message(EIO) : text;
    ShowMessageBox("GetLastError", errorText_, MB_OK | MB_ICONINFORMATION);
}

void TReadWriteMyFile::showSystemError(int error)
{
    showSystemText(std::generic_category().message(error == 0 ? EIO : error));
}

void TReadWriteMyFile::showDamaged(const std::string& text)
{
    errorText_ = text;
    ShowMessageBox(kDamagedCaption, text, MB_OK | MB_ICONWARNING);
}

TReadWriteMyFile::TReadWriteMyFile(std::string path) : path_(std::move(path)) {}

TReadWriteMyFile::~TReadWriteMyFile()
{
    if (mode_ == Mode::Writing)
        discardWrite();
    else if (file_)
        std::fclose(file_);
}

bool TReadWriteMyFile::OpenForReading()
{
    if (file_ || writer_)
        Close();
    errorText_.clear();
    targetExists_ = false;
    std::error_code error;
    const int fd = OpenRegularFileForReading(path_, error);
    if (fd < 0) {
        showSystemText(error.message());
        return true;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int code = errno;
        ::close(fd);
        showSystemError(code);
        return true;
    }
    file_ = ::fdopen(fd, "rb");
    if (!file_) {
        const int code = errno;
        ::close(fd);
        showSystemError(code);
        return true;
    }
    fileSize_ = static_cast<int64_t>(st.st_size);
    mode_ = Mode::Reading;
    return false;
}

bool TReadWriteMyFile::OpenForWriting(bool replaceExisting)
{
    if (file_ || writer_)
        Close();
    errorText_.clear();
    targetExists_ = false;
    // The writer refuses an existing target itself when it may not be replaced, also one that
    // appears while the file is written.
    auto writer = std::make_unique<SafeFileWriter>(path_, replaceExisting);
    if (!writer->Open()) {
        targetExists_ = writer->TargetExists();
        showSystemText(writer->ErrorText());
        return true;
    }
    writer_ = std::move(writer);
    mode_ = Mode::Writing;
    writeFailed_ = false;
    return false;
}

void TReadWriteMyFile::discardWrite()
{
    writer_.reset();   // removes the temporary file
    mode_ = Mode::None;
}

bool TReadWriteMyFile::Close()
{
    if (mode_ == Mode::Writing) {
        std::unique_ptr<SafeFileWriter> writer = std::move(writer_);
        mode_ = Mode::None;
        // A write that failed, or was refused its data, is never committed.
        if (!writer || writeFailed_ || !writer->Commit()) {
            targetExists_ = writer && writer->TargetExists();
            showSystemText(writer ? writer->ErrorText() : std::string());
            return true;   // the writer's destructor removes the temporary file
        }
        return false;
    }
    if (!file_) {
        mode_ = Mode::None;
        return true;
    }
    const bool failed = std::fclose(file_) != 0;
    file_ = nullptr;
    mode_ = Mode::None;
    return failed;
}

void TReadWriteMyFile::WriteHeader(uint32_t rate, double duration)
{
    unsigned char bytes[12];
    toLittleEndian(rate, bytes);
    toLittleEndian(duration, bytes + 4);
    write(bytes, sizeof bytes);
}

bool TReadWriteMyFile::write(const void* data, size_t bytes)
{
    if (mode_ != Mode::Writing || !writer_) {
        writeFailed_ = true;
        return false;
    }
    if (!writer_->Write(data, bytes))
        writeFailed_ = true;
    return !writeFailed_;
}

void TReadWriteMyFile::WriteDoubles(size_t count, const double* values)
{
    if (count > 0 && values == nullptr) {
        writeFailed_ = true;
        return;
    }
    if constexpr (kLittleEndianHost) {
        write(values, count * sizeof(double));
    } else {
        unsigned char bytes[8];
        for (size_t i = 0; i < count; ++i) {
            toLittleEndian(values[i], bytes);
            if (!write(bytes, 8))
                break;
        }
    }
}

bool TReadWriteMyFile::WriteSegment(uint32_t rate, double duration,
                                    const std::array<double, 6>& sensitivities,
                                    const std::array<const double*, 6>& channels, int64_t available)
{
    const int64_t n = SegmentSampleCount(rate, duration);
    if (n < 0 || n > available)
        return true;
    for (const double* c : channels)
        if (n > 0 && c == nullptr)
            return true;
    WriteHeader(rate, duration);
    WriteDoubles(sensitivities.size(), sensitivities.data());
    for (const double* c : channels)
        WriteDoubles(static_cast<size_t>(n), c);
    return writeFailed_;
}

bool TReadWriteMyFile::readExactly(void* data, size_t bytes)
{
    errno = 0;
    if (std::fread(data, 1, bytes, file_) == bytes)
        return true;
    if (std::ferror(file_))
        showSystemError(errno);
    else
        showDamaged(
            CoreText("ReadWriteMyFile", kTooShortText));   // the file shrank after its size was checked
    return false;
}

bool TReadWriteMyFile::readDoubles(double* values, size_t count)
{
    if (!readExactly(values, count * sizeof(double)))
        return false;
    if constexpr (!kLittleEndianHost) {
        for (size_t i = 0; i < count; ++i) {
            unsigned char bytes[8];
            std::memcpy(bytes, &values[i], 8);
            values[i] = fromLittleEndian<double>(bytes);
        }
    }
    return true;
}

bool TReadWriteMyFile::ReadHeader(uint32_t& rate, double& duration)
{
    rate = 0;
    duration = 0.0;
    if (mode_ != Mode::Reading)
        return true;
    if (fileSize_ < kSegmentHeaderBytes) {
        showDamaged(CoreText("ReadWriteMyFile", kTooShortText));
        return true;
    }
    unsigned char bytes[12];
    if (std::fseek(file_, 0, SEEK_SET) != 0 || !readExactly(bytes, sizeof bytes))
        return true;
    const auto storedRate = fromLittleEndian<uint32_t>(bytes);
    const auto storedDuration = fromLittleEndian<double>(bytes + 4);
    const int64_t n = SegmentSampleCount(storedRate, storedDuration);
    if (!positiveFinite(storedDuration) || n < 2) {
        showDamaged(FillArgs(CoreText("ReadWriteMyFile",
                                      "Файл сегмента поврежден: в заголовке неверная частота "
                                      "дискретизации (%1) или длительность. Файл не может быть открыт."),
                             {std::to_string(storedRate)}));
        return true;
    }
    if (fileSize_ < SegmentFileBytes(n)) {
        showDamaged(CoreText("ReadWriteMyFile", kTooShortText));
        return true;
    }
    rate = storedRate;
    duration = storedDuration;
    return false;
}

bool TReadWriteMyFile::ReadBody(uint32_t evenRate, double duration, const std::array<double*, 6>& channels,
                                double* time, std::array<double, 6>& paPerVolt)
{
    if (mode_ != Mode::Reading)
        return true;
    const int64_t n = SegmentSampleCount(evenRate, duration);
    if (n < 0 || fileSize_ < SegmentFileBytes(n)) {
        showDamaged(CoreText("ReadWriteMyFile", kTooShortText));
        return true;
    }
    if (n > 0) {
        if (time == nullptr)
            return true;
        for (double* c : channels)
            if (c == nullptr)
                return true;
    }
    unsigned char bytes[48];
    if (std::fseek(file_, 12, SEEK_SET) != 0 || !readExactly(bytes, sizeof bytes))
        return true;
    std::array<double, 6> sensitivity{};
    for (int c = 0; c < 6; ++c) {
        sensitivity[c] = fromLittleEndian<double>(bytes + 8 * c);
        // A subnormal sensitivity is positive and finite, but its factor is not.
        if (!positiveFinite(sensitivity[c]) || !std::isfinite(1000.0 / sensitivity[c])) {
            showDamaged(
                FillArgs(CoreText("ReadWriteMyFile", "Файл сегмента поврежден: неверная чувствительность "
                                                     "микрофона канала %1. Файл не может быть открыт."),
                         {std::to_string(c + 1)}));
            return true;
        }
    }
    // The block of 48 N bytes holds the channels one after another, so each goes straight
    // into its own array.
    for (int c = 0; c < 6 && n > 0; ++c)
        if (!readDoubles(channels[c], static_cast<size_t>(n)))
            return true;
    const uint32_t even = SegmentEvenRate(evenRate);
    // A NaN or an infinity would pass through every routine and come out as a plausible zero
    // intensity; the first one in the file's order is named.
    for (int c = 0; c < 6 && n > 0; ++c) {
        const double* values = channels[c];
        for (int64_t j = 0; j < n; ++j) {
            if (!std::isfinite(values[j])) {
                showDamaged(FillArgs(
                    CoreText("ReadWriteMyFile", "Файл сегмента поврежден: в канале %1 отсчет %2 "
                                                "(%3 с от начала) не является числом. Файл не может "
                                                "быть открыт."),
                    {std::to_string(c + 1), std::to_string(j), secondsText(static_cast<double>(j) / even)}));
                return true;
            }
            // A finite value so large that the spectra's products of two channels overflow is
            // no recording either.
            if (!IsValidSample(values[j])) {
                char limit[32];
                std::snprintf(limit, sizeof limit, "%g", setting_limits::kSampleMagnitudeMax);
                showDamaged(FillArgs(CoreText("ReadWriteMyFile",
                                              "Файл сегмента поврежден: в канале %1 отсчет %2 "
                                              "(%3 с от начала) по модулю больше %4. Файл не может "
                                              "быть открыт."),
                                     {std::to_string(c + 1), std::to_string(j),
                                      secondsText(static_cast<double>(j) / even), limit}));
                return true;
            }
        }
    }
    for (int c = 0; c < 6; ++c)
        paPerVolt[c] = 1000.0 / sensitivity[c];
    for (int64_t j = 0; j < n; ++j)
        time[j] = static_cast<double>(j) / even;
    return false;
}

bool TReadWriteMyFile::ReadSegmentHeader(SegmentHeader& header)
{
    header = SegmentHeader{};
    uint32_t rate = 0;
    double duration = 0.0;
    if (ReadHeader(rate, duration))
        return true;
    unsigned char bytes[48];
    if (std::fseek(file_, 12, SEEK_SET) != 0 || !readExactly(bytes, sizeof bytes))
        return true;
    for (int c = 0; c < 6; ++c)
        header.sensitivities[c] = fromLittleEndian<double>(bytes + 8 * c);
    header.rate = rate;
    header.evenRate = SegmentEvenRate(rate);
    header.duration = duration;
    header.sampleCount = SegmentSampleCount(header.evenRate, duration);
    return false;
}

bool TReadWriteMyFile::ReadSegment(Segment& segment)
{
    segment.Clear();
    uint32_t rate = 0;
    double duration = 0.0;
    if (ReadHeader(rate, duration))
        return true;
    const uint32_t even = SegmentEvenRate(rate);
    segment.Allocate(static_cast<int32_t>(SegmentSampleCount(even, duration)));
    segment.sampleRate = even;
    std::array<double*, 6> channels{};
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    if (ReadBody(even, duration, channels, segment.time.data(), segment.paPerVolt)) {
        segment.Clear();
        return true;
    }
    return false;
}

void TReadWriteMyFile::TestSignalHeader(const Settings& settings, uint32_t& rate, double& duration)
{
    rate = static_cast<uint32_t>(settings.freq_ocifr);
    duration = settings.dlit;
}
