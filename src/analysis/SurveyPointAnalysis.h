// One probe position's recording from its file to its octave bands, without a toolkit: the
// batch tool and the survey window both read a segment or a multichannel audio file this way,
// compute its intensity spectra and sum them into bands.
#pragma once

#include "AudioFile.h"
#include "BandReduction.h"
#include "InputFile.h"
#include "Intensity.h"
#include "OctaveBands.h"
#include "Segment.h"
#include "Settings.h"

#include <functional>
#include <optional>
#include <string>

// How an audio recording is read: its channels, the stretch and the volts at full scale.
struct AudioPlan {
    AudioChannelMap map{0, 1, 2, 3, 4, 5};   // microphone m is file channel map[m] (0-based)
    double from = 0.0;                       // seconds
    std::optional<double> to;                // seconds; the end of the recording when unset
    double fullScale = 1.0;                  // volts at full scale
    bool given = false;                      // any of the options was given
};

// Where the refusals of a read go: the file they concern (may be empty) and the text. A
// reader's own messages go through ShowMessageBox instead, as they always have.
using PointFailure = std::function<void(const std::string& file, const std::string& text)>;

// Whether a file is read as an audio recording: by its extension (.wav .w64 .rf64 .flac .caf
// .aif .aiff), or, when the extension names none of the program's own formats (.dat, .kvnb),
// by what the audio library recognises in it.
bool IsAudioInput(const std::string& path);

enum class InputRead {
    Ok,
    Refused,        // the reason went to the failure sink
    ReaderFailed,   // the segment reader failed; it may have said why through ShowMessageBox
};

// A whole segment file (*.kvnb), samples in ADC steps as stored.
InputRead ReadSegmentInput(const std::string& path, const PointFailure& fail, Segment& segment);

// The planned stretch of an audio file in volts: microphone m in channels[m], paPerVolt[m] =
// 1000 / the microphone's sensitivity in the settings.
bool ReadAudioVolts(const std::string& path, const Settings& settings, const AudioPlan& plan,
                    const PointFailure& fail, Segment& segment);

// Volts to pascals through paPerVolt, channel by channel: the factor the window's "Паскали"
// applies.
void ConvertVoltsToPascals(Segment& segment);

// A segment file (samples in ADC steps) or an audio file (samples in pascals; `pascals` is set).
InputRead ReadPointInput(const std::string& path, const Settings& settings, const AudioPlan& plan,
                         const PointFailure& fail, Segment& segment, bool& pascals);

// Runs ComputeIntensitySpectra on the segment. Empty text on success.
std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out);

// The bands of a segment read (or the test signal, testSignal): its intensity spectra through
// the settings' constants, summed into the bands the options ask for. options.periodic and the
// constants are taken as given; windowEnbw is set here. Empty text on success, else why.
std::string AnalyseSegmentBands(const Settings& settings, const Segment& segment, bool pascals,
                                bool testSignal, int windowItem, BandAnalysisOptions options,
                                BandAnalysis& out);

// How every point of a survey is analysed.
struct PointAnalysisPlan {
    int window = 0;   // the window list item of a periodic signal's spectra
    BandAnalysisOptions options;
    AudioPlan audio;
};

// A point's file from its samples to its bands. Returns an empty text on success, else the
// reasons, each after the file's name ("a.kvnb: cannot open: ..."); a reader's own messages
// go through ShowMessageBox and are not in the text.
std::string AnalysePointFile(const std::string& path, const Settings& settings, const PointAnalysisPlan& plan,
                             BandAnalysis& out);
