// Segment files (*.kvnb): the system's own format for a stretch cut out of a raw recording.
//
// Layout, little-endian, no padding, no signature:
//   0   uint32      R, sampling rate as written (samples per second per channel)
//   4   float64     D, duration of the stretch, s
//   12  6 x float64 sensitivities of channels 1..6, mV/Pa
//   60  N x float64 channel 1, then channel 2 at 60 + 8N, ..., channel 6 at 60 + 40N
// N is not stored: N = trunc(R' * D) with R' = R with its lowest bit cleared (SegmentSampleCount).
// Samples are ADC steps relative to the ADC zero, after the channel map and spike suppression.
//
// Flags returned here are true on failure, and every failure has shown its message when the
// call returns: "GetLastError" boxes for the file system, "ВНИМАНИЕ" boxes for a damaged file.
// (WriteSegment's refusal of a too-short stretch is the one exception: the caller decides.)
//
// Reading a segment: OpenForReading, ReadSegment (or ReadHeader, allocate, ReadBody), and Close
// when the window closes. Writing one: OpenForWriting(replace), WriteSegment (or WriteHeader and
// WriteDoubles), Close; the file appears under its name only when Close returns false.
#pragma once

#include "SafeFile.h"
#include "Segment.h"
#include "Settings.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

// What the first 60 bytes of a segment say, checked against the file's length.
struct SegmentHeader {
    uint32_t rate = 0;                       // R as stored (possibly odd)
    uint32_t evenRate = 0;                   // R', the rate the samples are spaced by
    double duration = 0.0;                   // D, s
    int64_t sampleCount = 0;                 // N per channel
    std::array<double, 6> sensitivities{};   // mV/Pa, as stored (not checked)
};

class TReadWriteMyFile {
public:
    explicit TReadWriteMyFile(std::string path);
    // Closes a file open for reading; a write that was never closed is discarded and the
    // target is left as it was.
    ~TReadWriteMyFile();
    TReadWriteMyFile(const TReadWriteMyFile&) = delete;
    TReadWriteMyFile& operator=(const TReadWriteMyFile&) = delete;

    // Opens an existing file read-only. Only a regular file is opened: a folder, a named pipe,
    // a device or a socket is refused at once, never waited on.
    [[nodiscard]] bool OpenForReading();
    // Starts a write. The data go to a temporary file beside the target, which replaces the
    // target only when Close succeeds, so a failed write never costs the old file. An existing
    // target is refused unless replaceExisting (the caller has asked "Файл существует.Переписать?"
    // and had a Yes); the caller need not, and should not, delete it first. A target that is not
    // a regular file (a device, a pipe, a folder, a link to nothing) is never replaced.
    [[nodiscard]] bool OpenForWriting(bool replaceExisting);
    // Ends a read, or commits a write (any failed write before it makes it fail, and the
    // temporary file is removed). true on failure.
    bool Close();

    // Write operations; a failure is remembered and reported by Close.
    void WriteHeader(uint32_t rate, double duration);
    void WriteDoubles(size_t count, const double* values);
    // Writes a whole segment: header (rate, duration), the six sensitivities, then
    // N = SegmentSampleCount(rate, duration) samples of each channel from channels[c][0].
    // Returns true, writing nothing, when N is unusable or larger than available (the number of
    // samples each channel array holds): the caller shortens the stretch or refuses the export.
    [[nodiscard]] bool WriteSegment(uint32_t rate, double duration,
                                    const std::array<double, 6>& sensitivities,
                                    const std::array<const double*, 6>& channels, int64_t available);

    // Reads the rate R (as stored, possibly odd) and the duration D, and checks them against
    // the file: refused with a message when D is not a positive finite number, when N < 2, or
    // when the file is shorter than 60 + 48 N bytes. Nothing is allocated from an unchecked
    // header: after a successful ReadHeader, N samples per channel are known to be in the file.
    [[nodiscard]] bool ReadHeader(uint32_t& rate, double& duration);
    // ReadHeader and the six sensitivities, without reading or allocating a single sample: all
    // that a description of the file needs, whatever its size (the memory a whole segment
    // needs is the business of whoever reads its samples). The sensitivities are as stored;
    // ReadBody is where they are checked.
    [[nodiscard]] bool ReadSegmentHeader(SegmentHeader& header);
    // Reads the sensitivities and the samples. evenRate is R' (SegmentEvenRate of the header's
    // rate); channels and time hold at least N = SegmentSampleCount(evenRate, duration) elements.
    // Fills channels[c][j] (sample j of channel c + 1), time[j] = j / R' and
    // paPerVolt[c] = 1000 / sensitivity. Refused with a message, before anything is filled, when
    // a sensitivity is not a positive finite number (or so small that its factor is
    // infinite) or the file is too short; refused after the samples are read (time and
    // paPerVolt untouched) when a sample is NaN, infinite or beyond
    // setting_limits::kSampleMagnitudeMax, naming the first one's channel,
    // index and time.
    [[nodiscard]] bool ReadBody(uint32_t evenRate, double duration, const std::array<double*, 6>& channels,
                                double* time, std::array<double, 6>& paPerVolt);
    // ReadHeader, then allocation of N samples, then ReadBody; segment.sampleRate is R'.
    // On failure the segment is left empty.
    [[nodiscard]] bool ReadSegment(Segment& segment);

    // Rate and duration of the synthetic test signal, in place of a file: R = freq_ocifr,
    // D = dlit.
    static void TestSignalHeader(const Settings& settings, uint32_t& rate, double& duration);

    const std::string& Path() const { return path_; }
    // The text of the last failure's message box (the system's reason, or what is damaged in
    // the file); empty when the last open succeeded and nothing failed since.
    const std::string& ErrorText() const { return errorText_; }
    // True when the last OpenForWriting or Close failed only because the target exists and
    // replaceExisting was false: the one failure that replacing would cure.
    bool TargetExists() const { return targetExists_; }

private:
    enum class Mode { None, Reading, Writing };

    void discardWrite();
    bool write(const void* data, size_t bytes);
    bool readExactly(void* data, size_t bytes);
    bool readDoubles(double* values, size_t count);
    void showSystemText(const std::string& text);
    void showSystemError(int error);
    void showDamaged(const std::string& text);

    std::string path_;
    std::FILE* file_ = nullptr;                // reading
    std::unique_ptr<SafeFileWriter> writer_;   // writing: beside the target until Close
    Mode mode_ = Mode::None;
    int64_t fileSize_ = 0;
    bool writeFailed_ = false;
    bool targetExists_ = false;
    std::string errorText_;
};
