// Multichannel audio recordings (WAV, W64, RF64, FLAC, CAF, AIFF: whatever the system's
// libsndfile reads), as six microphone channels in volts.
//
// A recorder's sample at full scale (±1.0 once the library has normalised an integer format)
// stands for voltsFullScale volts. The microphones are taken from the file's channels by a map:
// microphone m (0 ... 5) is file channel map[m] (0-based). Only the stretch asked for is read,
// so a recording of many gigabytes costs the memory of that stretch alone; a file whose header
// promises more frames than it holds is read to its real end, never past it.
#pragma once

#include "Segment.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct AudioFileInfo {
    int channels = 0;
    int64_t frames = 0;       // as the header says
    int sampleRate = 0;       // frames per second
    std::string formatText;   // "WAV, 24 бит" and the like, for the user
    std::string comment;      // the file's comment (its INFO list's), empty when it has none
};

enum class AudioStatus {
    Ok,
    CannotOpen,       // not there, not readable, not a regular file, or not a format the library reads
    TooFewChannels,   // fewer than six channels
    BadChannelMap,    // a map entry outside the file's channels, or one channel taken twice
    BadStretch,       // a start or length outside the recording, or nothing to read
    ReadError,        // the library failed while reading
    BadSample,        // a sample that is not a number, infinite, or beyond the magnitude the numerics take
};

struct AudioResult {
    AudioStatus status = AudioStatus::Ok;
    std::string message;   // in Russian, for the user; empty on success
    bool ok() const { return status == AudioStatus::Ok; }
};

using AudioChannelMap = std::array<int, 6>;

// The header's facts about a file; refuses a file with fewer than six channels, saying how many
// it has.
AudioResult ReadAudioInfo(const std::string& path, AudioFileInfo& info);

// The frame count a stretch will hold: frameCount from startFrame, cut at the header's end.
// -1 when start lies outside the recording or the stretch is empty.
int64_t AudioStretchFrames(const AudioFileInfo& info, int64_t startFrame, int64_t frameCount);

// Reads frames startFrame ... startFrame + frameCount - 1 (cut at the end of the recording)
// of the mapped channels into out, in volts: out.sampleRate is the file's rate, out.time
// counts from the start of the stretch, out.paPerVolt is left 0 (the microphones' sensitivities
// are the caller's). The caller checks the memory for the stretch before calling. When the
// file ends before the header said, out holds what was there. Refused (BadSample, out emptied)
// at the first sample of a mapped channel that is NaN, infinite or beyond
// setting_limits::kSampleMagnitudeMax full scales, naming its file channel and time; refused
// (BadStretch) when voltsFullScale lies outside the full-scale range.
AudioResult ReadAudioStretch(const std::string& path, const AudioChannelMap& map, int64_t startFrame,
                             int64_t frameCount, double voltsFullScale, Segment& out);

// The six channels of a segment (in the units they are in) as a 32-bit float WAV at the
// segment's rate, with the comment recorded in the file's INFO list (the sensitivities and
// units, so another program can read them). Samples are divided by fullScale so that fullScale
// units become ±1.0. The bytes are built in memory; the caller writes them where it wants.
AudioResult EncodeFloatWav(const Segment& segment, double fullScale, const std::string& comment,
                           std::vector<char>& bytes);
