// The calibration of a whole probe from one recording of a calibrator: the stretch of the
// recording in volts (an audio file's samples, or a segment's ADC steps times VOLT), each
// microphone calibrated against its old sensitivity, and what the user is told about each.
// The batch tool's `calibrate` and the calibration window share it, so both give the same
// sensitivities for the same recording.
#pragma once

#include "Calibration.h"
#include "ReadWriteMyFile.h"
#include "Segment.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct MicrophoneCalibration {
    int microphone = 0;   // 0-based
    ChannelCalibration result;
    std::vector<std::string> warnings;   // CalibrationWarningsRu

    // A result whose new sensitivity may replace the old one: the tone was there, in its band.
    bool toneFound() const { return result.status == CalibrationStatus::Ok && !result.toneElsewhere; }
};

// Each microphone of a stretch in volts (volts.channels[m] is microphone m) against its old
// sensitivity (mV/Pa), in order; only microphone `only` (0-based) when given. progress, when
// given, is told the fraction done after each microphone and may answer false to stop there
// (the microphones done so far are returned).
std::vector<MicrophoneCalibration> CalibrateMicrophones(const Segment& volts, const CalibratorTone& tone,
                                                        const std::array<double, 6>& oldSensitivities,
                                                        std::optional<int> only = std::nullopt,
                                                        const std::function<bool(double)>& progress = {});

// Why a microphone's result cannot be used, in Russian; empty for a result that can. number
// writes the numbers in the caller's notation.
std::string CalibrationFailureRu(const ChannelCalibration& result, const CalibratorTone& tone, double rate,
                                 const std::function<std::string(double)>& number);

// What a recording offers for a calibration, read from its header alone.
struct CalibrationSource {
    bool audio = false;       // an audio file; otherwise a segment (*.kvnb)
    double rate = 0.0;        // samples per second per channel
    int64_t frames = 0;       // samples per channel
    int channels = 6;         // the file's channels (a segment always has six)
    std::string formatText;   // an audio file's format, for the user
    double seconds() const { return rate > 0.0 ? static_cast<double>(frames) / rate : 0.0; }
};

// The bytes a stretch of `frames` samples costs while it is calibrated: the six channels and
// one channel's work arrays.
constexpr int64_t CalibrationBytesNeeded(int64_t frames)
{
    return 10 * 8 * frames;
}

// Reads frames first ... first + count - 1 of a segment file (the layout of ReadWriteMyFile.h)
// into volts: sample x VOLT, the time axis from the stretch's start, at the segment's even rate.
// It shows no message and may run off the interface thread. Returns an error text in Russian
// (a file that cannot be read or ends early, a sample that is not a finite number), empty on
// success. header is what ReadSegmentHeader found in the file.
std::string ReadSegmentStretchVolts(const std::string& path, const SegmentHeader& header, int64_t first,
                                    int64_t count, double volt, Segment& out);
