// Multichannel audio recordings as inputs of sonorix-cli: which files are read as audio, the
// options that pick the microphones' channels, the stretch and the volts at full scale, and the
// reading of a stretch into a segment (volts, or pascals through each microphone's sensitivity).
#pragma once

#include "AudioFile.h"
#include "CliContext.h"
#include "Segment.h"
#include "SurveyPointAnalysis.h"

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

// What the options ask of every audio input: AudioPlan (SurveyPointAnalysis.h).

// The plan of the options; the refusal text of the first one that cannot be used (a bad
// command line), empty on success.
std::string MakeAudioPlan(const AudioOptions& options, AudioPlan& plan);

// An input of the commands (a segment or an audio file) opened into a recording, its pascals
// decided by the run's settings and options (DecidePascals). false after the reason is on the
// error stream.
bool LoadRecording(const Context& ctx, const std::string& path, const AudioPlan& plan, Recording& out);

// The JSON of a recording's pascals: [{"factor": Pa per unit, "source": "settings"}, ...], one
// object per microphone, so a reader of the output sees which factor each channel took.
std::string JsonPascals(const RecordingScale& scale);
