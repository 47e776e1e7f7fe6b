// One recording, whatever it came from (a segment, a multichannel audio file, the test signal),
// as one value: the six channels in the units the source holds them in, the rate and time base,
// where it came from, and for each channel the pascals per unit that the intensity takes, with
// the source of that factor. Every window and command opens its inputs here, so the rule that
// turns samples into pascals (DecidePascals) is written once.
#pragma once

#include "AudioFile.h"
#include "Intensity.h"
#include "Segment.h"
#include "Settings.h"

#include <array>
#include <functional>
#include <optional>
#include <string>

enum class RecordingKind {
    Segment,      // *.kvnb: ADC steps relative to the ADC zero, VOLT volts each
    Audio,        // a multichannel audio file: volts (full scale as the plan says)
    TestSignal,   // the synthetic plane wave: ADC steps, VOLT x 400 Pa per volt by definition
};

// Where a channel's pascals per unit come from.
enum class PascalSource {
    FixedFactor,    // 0.1220703125 Pa per ADC step, whatever the microphones
    SegmentFile,    // the sensitivities stored in the segment (they belong to the recording)
    AudioComment,   // the sensitivities the program wrote into the audio file's comment
    Settings,       // the sensitivities of the settings store (or --settings)
    Option,         // the sensitivities given on the command line (--sens)
    TestSignal,     // VOLT x 400, the test signal's own factor
};

// "fixed factor", "segment file", "audio comment", "settings", "option", "test signal": the
// words the batch tool's JSON uses.
const char* PascalSourceName(PascalSource source);

// How a recording's units become pascals: per logical channel (microphone 1 ... 6).
struct RecordingScale {
    RecordingKind kind = RecordingKind::Segment;
    double voltsPerUnit = 0.0;             // VOLT for ADC steps, 1 for an audio file's volts
    std::array<double, 6> sensitivity{};   // mV/Pa of each channel's microphone; 0: none
    std::array<PascalSource, 6> sensitivitySource{};
    std::array<double, 6> pascalPerUnit{};   // what the intensity multiplies a sample by
    std::array<PascalSource, 6> pascalSource{};

    // Whether the six factors are one (the fixed factor, the test signal's).
    bool uniform() const;
    // Whether any channel's pascals come from a microphone's sensitivity.
    bool bySensitivities() const;
};

// What the user asked of the pascals: the calibrated option ("Интенсивность по
// чувствительностям микрофонов", --calibrated) and sensitivities typed on the command line.
struct PascalRequest {
    bool calibrated = false;
    bool sensitivitiesFromOption = false;   // the settings' sensitivities were typed (--sens)
};

// The sensitivity (mV/Pa) of each logical channel in the settings: Chuv[Chs[i]] for channel i
// (0 where the map entry is out of range).
std::array<double, 6> ChannelSensitivities(const Settings& s);

// The rule, the one place that decides pascals:
//   test signal     VOLT x 400 on every channel, whatever else is asked;
//   segment         0.1220703125 Pa per step unless calibrated; calibrated, VOLT x 1000 / the
//                   sensitivity stored in the segment, or given by --sens;
//   audio file      1000 / the sensitivity (its samples are volts, so there is no fixed factor):
//                   --sens, else the file's own comment when the program wrote it, else the
//                   settings; the calibrated option changes nothing.
// scale.kind, voltsPerUnit and the file's sensitivities (SegmentFile / AudioComment sources)
// are set by the caller; sensitivities the file lacks are taken from the settings here. A
// channel whose sensitivity cannot give a finite positive factor is named in the returned text
// (empty when every channel has a factor); a segment's such channel keeps the fixed factor.
std::string DecidePascals(RecordingScale& scale, const Settings& settings, const PascalRequest& request);

// The intensity routine's constants for a recording: the settings' medium, probe and signal
// type with the recording's pascals.
IntensityConstants IntensityConstantsOf(const Settings& settings, const RecordingScale& scale);
// The same for a segment (or the test signal, testSignal) whose only sensitivities are the
// settings', with the calibrated option as the settings hold it (I_PO_CHUV).
IntensityConstants IntensityConstantsFrom(const Settings& settings, bool testSignal);

// How an audio recording is read: its channels, the stretch and the volts at full scale.
struct AudioPlan {
    AudioChannelMap map{0, 1, 2, 3, 4, 5};   // microphone m is file channel map[m] (0-based)
    double from = 0.0;                       // seconds
    std::optional<double> to;                // seconds; the end of the recording when unset
    double fullScale = 1.0;                  // volts at full scale
    bool given = false;                      // any of the options was given
};

struct Recording {
    std::string origin;   // the file's path; empty for the test signal
    Segment samples;      // the channels in the source's units; samples.paPerVolt as the file had it
    RecordingScale scale;
};

// Where the refusals of a read go: the file they concern (may be empty) and the text. A
// reader's own messages go through ShowMessageBox instead, as they always have.
using PointFailure = std::function<void(const std::string& file, const std::string& text)>;

enum class InputRead {
    Ok,
    Refused,        // the reason went to the failure sink
    ReaderFailed,   // the segment reader failed; it may have said why through ShowMessageBox
};

// Whether a file is read as an audio recording: by its extension (.wav .w64 .rf64 .flac .caf
// .aif .aiff), or, when the extension names none of the program's own formats (.dat, .kvnb),
// by what the audio library recognises in it.
bool IsAudioInput(const std::string& path);

// The sensitivities (mV/Pa, microphones 1 ... 6) the program writes into an audio file's
// comment ("sensitivities_mv_pa=a,b,c,d,e,f"), when the comment holds six positive numbers.
std::optional<std::array<double, 6>> CommentSensitivities(const std::string& comment);

// The scale of samples already read, its pascals decided: a segment's (the file's sensitivities
// are in samples.paPerVolt), an audio file's (its comment may hold the program's sensitivities)
// or the test signal's. Sets samples.paPerVolt to what the display's "Паскали" multiplies a volt
// by. The text is DecidePascals's.
std::string ScaleSamples(RecordingKind kind, const std::string& audioComment, const Settings& settings,
                         const PascalRequest& request, Segment& samples, RecordingScale& scale);

// Opens a segment or an audio file into a recording and decides its pascals. A stretch of an
// audio file is read as the plan says; a segment is read whole (a plan given for one is said
// as a warning through `fail`, and the read goes on).
InputRead OpenRecording(const std::string& path, const Settings& settings, const AudioPlan& plan,
                        const PascalRequest& request, const PointFailure& fail, Recording& out);

// The test signal of the settings (rate freq_ocifr with its lowest bit cleared, duration dlit)
// as a recording. Empty text on success, else why it cannot be made.
std::string MakeTestSignalRecording(const Settings& settings, Recording& out);
