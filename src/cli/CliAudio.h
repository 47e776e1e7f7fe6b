// Multichannel audio recordings as inputs of sonorix-cli: which files are read as audio, the
// options that pick the microphones' channels, the stretch and the volts at full scale, and the
// reading of a stretch into a segment (volts, or pascals through each microphone's sensitivity).
#pragma once

#include "AudioFile.h"
#include "CliContext.h"
#include "Segment.h"

#include <optional>
#include <string>

namespace CLI {
class App;
}

// The audio options as typed; unset when not given.
struct AudioOptions {
    std::optional<std::string> channels;    // --channels A,B,C,D,E,F
    std::optional<std::string> from, to;    // --from S, --to S
    std::optional<std::string> fullScale;   // --full-scale V
};

// Registers --channels and --full-scale, and --from and --to when the command has no options of
// those names itself.
void AddAudioOptions(CLI::App& app, AudioOptions& options, bool withStretch);

// Help of audio inputs and their options (--from and --to when withStretch), indented as the
// commands' own.
std::string AudioOptionsHelp(bool withStretch);

// What the options ask of every audio input.
struct AudioPlan {
    AudioChannelMap map{0, 1, 2, 3, 4, 5};   // microphone m is file channel map[m] (0-based)
    double from = 0.0;                       // seconds
    std::optional<double> to;                // seconds; the end of the recording when unset
    double fullScale = 1.0;                  // volts at full scale
    bool given = false;                      // any of the options was given
};

// The plan of the options; the refusal text of the first one that cannot be used (a bad
// command line), empty on success.
std::string MakeAudioPlan(const AudioOptions& options, AudioPlan& plan);

// Whether a file is read as an audio recording: by its extension (.wav .w64 .rf64 .flac .caf
// .aif .aiff), or, when the extension names none of the tool's own formats (.dat, .kvnb), by
// what the audio library recognises in it.
bool IsAudioInput(const std::string& path);

// The planned stretch of an audio file in volts: microphone m in channels[m], paPerVolt[m] =
// 1000 / the microphone's sensitivity in the settings. false after the reason is on the error
// stream.
bool LoadAudioVolts(const Context& ctx, const std::string& path, const AudioPlan& plan, Segment& segment);

// Volts to pascals through paPerVolt, channel by channel: the factor the window's "Паскали"
// applies.
void ConvertVoltsToPascals(Segment& segment);

// An input of the analysing commands: a segment file (samples in ADC steps, as stored) or an
// audio file (samples in pascals; `pascals` is set). false after the reason is on the error
// stream.
bool LoadAnalysisInput(const Context& ctx, const std::string& path, const AudioPlan& plan, Segment& segment,
                       bool& pascals);
