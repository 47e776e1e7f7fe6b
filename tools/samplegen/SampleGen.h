// Sample files for tests, benchmarks and demonstrations: raw recordings of a plane wave
// reaching the three-axis probe, with optional damage, and segment files. The encoder here is
// written from the file layouts on its own, so that tests of the readers compare against an
// independent writer.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One damaged stretch of a raw recording.
struct RawDamage {
    int64_t record = 0;   // index of the good record the damage comes before
    int bytes = 16;       // garbage bytes inserted there; tags never form "331122"
};

struct RawRecordingSpec {
    uint32_t rate = 40000;   // records per second
    uint32_t seconds = 10;   // recorded duration; the stamps are set from it
    // Start stamp; the end stamp is start + seconds (a day wrap moves the end day on by one).
    uint8_t startDay = 5, startHour = 10, startMinute = 0, startSecond = 0;
    bool invalidStamps = false;   // end day two days after the start: the reader falls back
    int64_t extraRecords = 0;     // records beyond rate * seconds (a recording a little long)

    // The wave: frequency in Hz, amplitude in ADC steps, direction as in the test signal
    // (fiZ from the Z axis, fiX of the projection on the XY plane from the X axis, degrees).
    double frequency = 500.0;
    double amplitude = 1000.0;   // within the ADC zero of 1120, so no half-wave clips
    double fiZ = 45.0;
    double fiX = 45.0;
    std::array<double, 3> lmic{0.5, 0.5, 0.5};   // pair spacings, m
    double soundSpeed = 340.0;                   // m/s
    double noise = 0.0;                          // uniform noise, ADC steps peak
    uint32_t seed = 1;

    int32_t nullAdc = 1120;                         // ADC code of zero
    std::array<int32_t, 6> chs{0, 1, 2, 3, 4, 5};   // slot k carries logical channel chs[k] + 1
    std::vector<RawDamage> damage;                  // sorted by record
};

// The 14-bit code of logical channel c (0-based) at record index i, as the generator writes it.
int RawSampleCode(const RawRecordingSpec& spec, int channel, int64_t record);

// The 16 bytes of one good record holding the six codes of slots 0..5.
std::array<uint8_t, 16> EncodeRawRecord(const std::array<int, 6>& slotCodes);

// Number of good records the generator writes: rate * seconds + extraRecords.
int64_t RawRecordCount(const RawRecordingSpec& spec);

// Writes the recording; returns false with a reason when the file cannot be written.
bool WriteRawRecording(const std::string& path, const RawRecordingSpec& spec, std::string* error);

// Writes the bytes of a file as they are.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error);

// The bytes of a segment file holding the given header and channels (each channel's first
// trunc(R' * D) samples). The header is written as given, however it fits the data.
std::vector<uint8_t> SegmentFileContents(uint32_t rate, double duration,
                                         const std::array<double, 6>& sensitivities,
                                         const std::array<std::vector<double>, 6>& channels);

// A segment of a plane wave as a recording of it would give (ADC steps relative to the zero).
std::array<std::vector<double>, 6> PlaneWaveChannels(const RawRecordingSpec& wave, uint32_t rate,
                                                     int64_t count);
