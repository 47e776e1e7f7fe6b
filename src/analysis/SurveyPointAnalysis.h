// One probe position's recording from its file to its octave bands, without a toolkit: the
// batch tool and the survey window both read a segment or a multichannel audio file this way,
// compute its intensity spectra and sum them into bands.
#pragma once

#include "BandReduction.h"
#include "Intensity.h"
#include "OctaveBands.h"
#include "Recording.h"
#include "Segment.h"
#include "Settings.h"

#include <functional>
#include <optional>
#include <string>

// Runs ComputeIntensitySpectra on the segment. Empty text on success.
std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out);

// The bands of a recording: its intensity spectra through the settings' constants and the
// recording's pascals, summed into the bands the options ask for. options.periodic is taken as
// given; windowEnbw is set here. Empty text on success, else why.
std::string AnalyseRecordingBands(const Settings& settings, const Recording& recording, int windowItem,
                                  BandAnalysisOptions options, BandAnalysis& out);

// How every point of a survey is analysed.
struct PointAnalysisPlan {
    int window = 0;   // the window list item of a periodic signal's spectra
    BandAnalysisOptions options;
    AudioPlan audio;
};

// A point's file from its samples to its bands, its pascals by the settings' calibrated option. Returns an
// empty text on success, else the reasons, each after the file's name ("a.kvnb: cannot open: ..."); a
// reader's own messages go through ShowMessageBox and are not in the text.
std::string AnalysePointFile(const std::string& path, const Settings& settings, const PointAnalysisPlan& plan,
                             BandAnalysis& out);
