// The arithmetic of the playback window that needs no screen: the size of a frame, the scale
// factors of the display units and the choice of the stretch an export writes.
#pragma once

#include "Settings.h"

#include <array>
#include <cstdint>

// Display units of the playback window's unit choice (the record's PA_OR_VOLT).
constexpr int kPlaybackPascals = 0;
constexpr int kPlaybackVolts = 1;

// How a frame of frameSeconds seconds is read with one record out of every decimation. The
// reader's clock moves by whole seconds, so the file must move on by exactly the frame's
// frameSeconds * rate records, or the clock (and every label and export that trusts it)
// falls behind the samples shown: count samples step records apart, then trailing records
// more that belong to the frame but are not shown. count * step + trailing is always
// frameSeconds * rate, and every sample lies inside the frame.
struct PlaybackFramePlan {
    int count = 0;          // samples per channel shown; 0 when an argument is not positive
                            // or the frame would hold more than INT32_MAX samples
    int step = 1;           // records from one sample to the next
    int64_t trailing = 0;   // records after the last sample's step, 0 <= trailing < step
};
PlaybackFramePlan PlanPlaybackFrame(int frameSeconds, uint32_t rate, int decimation);

// Samples per second of a frame read with one record out of every decimation, rounded to a
// whole number for the display filter.
int PlaybackDisplayRate(uint32_t rate, int decimation);

// Highest cut-off the display filter takes for such a frame, Hz: below half the display rate
// (and below half the true rate rate / decimation), so that no setting the window allows
// aliases or fails for the rate alone. 0 when the rate leaves no room.
int PlaybackFilterLimit(uint32_t rate, int decimation);

// The sensitivity (mV/Pa) of each logical channel: Chuv[Chs[i]] for channel i. The pascal
// factor and the exported segment both take it, so a channel keeps its pascals from the
// playback window to the processing window whatever the channel order.
std::array<double, 6> ChannelSensitivities(const Settings& s);

// Factor from ADC steps to the displayed unit, per logical channel. Volts: VOLT. Pascals:
// 1000 * VOLT / sensitivity, the sensitivity of channel i being Chuv[Chs[i]]; a channel whose
// sensitivity is not a positive number (or whose map entry is out of range) shows 0.
std::array<double, 6> PlaybackScaleFactors(const Settings& s, int unit);

// Smallest number of samples an export writes.
constexpr int kMinimumExportSamples = 100;

struct ExportStretch {
    bool refused = true;     // fewer than kMinimumExportSamples samples in the visible window
    int first = 0;           // index of the first sample written (i0)
    int64_t count = 0;       // samples per channel the file will hold (N)
    double duration = 0.0;   // D written in the header; N = SegmentSampleCount(rate, D)
};

// Picks the stretch of a full-rate frame that lies in the visible window [visibleMin,
// visibleMax] (seconds after the frame's first sample). time holds the absolute time of each
// of the total samples. The first sample is the first at or after visibleMin; the window is
// refused when fewer than kMinimumExportSamples samples start before the first one past
// visibleMax. The duration is that of the visible window, but a window reaching before the
// frame starts counts from the frame's start, and one reaching past the samples read is
// shortened so that N never asks for a sample that was not read.
ExportStretch SelectExportStretch(const double* time, int total, double visibleMin, double visibleMax,
                                  uint32_t rate);
