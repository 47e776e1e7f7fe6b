// The arithmetic of the playback window that needs no screen: the size of a frame, the clock
// and the moves of the reader, the display copy of a frame, the scale factors of the display
// units and what an export reads and writes.
#pragma once

#include "Settings.h"

#include <array>
#include <cstdint>
#include <vector>

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

// A time in whole seconds as the reader's seek takes it.
struct ClockTime {
    uint32_t hours = 0;
    uint32_t minutes = 0;   // 0..59
    uint32_t seconds = 0;   // 0..59
};
ClockTime SplitClockSeconds(uint32_t seconds);
// Seconds of a header's duration stamp.
uint32_t ClockSeconds(uint32_t hours, uint32_t minutes, uint32_t seconds);

// Longest frame, seconds, offered for a recording of durationSeconds: the control's own
// maximum, but no longer than the recording (a longer frame would read past the end on every
// step), and never below 1.
int LongestPlaybackFrame(uint32_t durationSeconds, int controlMaximum);

// The track bar's position for a frame whose first sample lies at time seconds (its whole
// second, within the range an int holds; 0 for a time that is not a number), and its maximum
// for a recording of durationSeconds.
int PlaybackTrackSecond(double time);
int PlaybackTrackMaximum(uint32_t durationSeconds);

// Whether the reader, standing at byte position of a recording of rate records a second, can
// move back over seconds whole seconds without passing the start of the file.
bool PlaybackBackStepFits(int64_t position, int seconds, uint32_t rate);

// Seconds to move back to reach the start of the frame shown: the length it was read with when
// the reader still stands right after it (frameEnd), the length in force otherwise.
int SecondsBackToFrameStart(int64_t position, int64_t frameEnd, int shownSeconds, int frameSeconds);

// Samples per second of a frame read with one record out of every decimation, rounded to a
// whole number for the display filter.
int PlaybackDisplayRate(uint32_t rate, int decimation);

// Highest cut-off the display filter takes for such a frame, Hz: below half the display rate
// (and below half the true rate rate / decimation), so that no setting the window allows
// aliases or fails for the rate alone. 0 when the rate leaves no room.
int PlaybackFilterLimit(uint32_t rate, int decimation);

// Times of a frame's count samples after its first: out[j] = time[j] - time[0].
void FrameRelativeTimes(const double* time, int count, double* out);

// The curves the window draws for a frame: a copy of each raw channel, band-filtered for the
// display (order 0: not filtered) at the frame's display rate, so the raw frame stays as read
// for every redraw and export. true when the curves are filtered. When any channel cannot be
// filtered all six are left as read: no curve is ever shown as filtered that is not.
bool FilterPlaybackDisplay(const std::array<std::vector<double>, 6>& raw,
                           std::array<std::vector<double>, 6>& shown, int order, int fmin, int fmax,
                           int displayRate);

// Factor from ADC steps to the displayed unit, per logical channel. Volts: VOLT. Pascals:
// 1000 * VOLT / sensitivity, the sensitivity of channel i being Chuv[Chs[i]]; a channel whose
// sensitivity is not a positive number (or whose map entry is out of range) shows 0.
std::array<double, 6> PlaybackScaleFactors(const Settings& s, int unit);

// Smallest number of samples an export writes.
constexpr int kMinimumExportSamples = 100;

// What the window knows of the frame shown when an export starts.
struct ExportSource {
    bool frameLoaded = false;   // a frame is on screen
    int shownSeconds = 1;       // length the frame on screen was read with
    int frameSeconds = 1;       // length in force for the next read
    double firstTime = 0.0;     // absolute time of the first sample shown
    int64_t frameStart = -1;    // reader positions before and after the frame shown was read
    int64_t frameEnd = -1;
    int64_t position = 0;   // where the reader stands now
    int trackSecond = 0;    // the track bar's second, for a window with no frame yet
};

// How the export gets the frame shown again at full rate.
struct ExportRead {
    int seconds = 0;   // length of the frame read
    int total = 0;     // records read: seconds * rate, at most INT32_MAX
    // The reader stands right after the frame shown, which took exactly its records: it moves
    // back over seconds and reads the same records again, which leaves it where it was and
    // holds however far the data start or a damaged stretch has moved the records off the grid
    // of whole seconds a seek works on. Otherwise it seeks to startSecond (the start of the
    // frame shown, not wherever the track bar has been dragged since), reads, and seeks on to
    // startSecond + seconds.
    bool again = false;
    uint32_t startSecond = 0;
};
ExportRead PlanExportRead(const ExportSource& source, uint32_t rate);

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
