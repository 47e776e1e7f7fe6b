// What the processing window holds for one segment, and the decisions it takes on it that
// need no screen: display unit factors, the dB conversion, the cursor grab rule, the
// Nyquist limit of the analysis band and the memory a segment needs. Plain C++.
#pragma once

#include "Segment.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Unit items of the window's unit choice; item 2 exists only while a spectrum command has
// added its unit ("дБА" or "Вт/м**2").
enum ProcessingUnit : int {
    kUnitPascal = 0,
    kUnitVolt = 1,
    kUnitSpectrum = 2,
};

struct ProcessingData {
    using Channels = std::array<std::vector<double>, 6>;

    Segment segment;   // as-read samples (never changed), time axis, Pa-per-volt factors
    // Filtered and transformed by the commands; empty until a command first changes the
    // samples, which until then are the segment's own (samples() gives whichever holds them).
    Channels working;
    // The rest is sized when a command first needs it, so a long recording that is only
    // looked at holds its samples twice and nothing more.
    Channels snapshot;   // the "M" command's copy of the working samples
    Channels spectra;    // N/2 each: amplitude or intensity spectra
    Channels db;         // N/2 each, made when the dB unit is chosen
    // I, J, K, П (index 0..3) per axis x, y, z, N/2 values each.
    std::array<Channels::value_type, 12> intensity;
    std::vector<double> frequency;   // Hz, N/2

    int32_t count() const { return segment.sampleCount; }
    int32_t halfCount() const { return segment.sampleCount / 2; }

    // Sizes the segment for n samples; empties the rest. This and the Ensure... calls and the
    // first change of the samples throw std::bad_alloc.
    void Allocate(int32_t n);
    void EnsureSpectra();
    void EnsureIntensity();
    void EnsureDb();
    bool HasSnapshot() const { return count() >= 2 && snapshot[0].size() == static_cast<size_t>(count()); }
    void Release();

    // The samples the time view shows and the commands take: the working ones once a
    // command has changed them, else the segment's.
    const Channels& samples() const { return working[0].empty() ? segment.channels : working; }
    // The working samples, made from the segment's on the first call after opening or undo.
    Channels& editableSamples();
    // Takes the channels marked in `which` from `replaced`; the others stay as they are.
    void replaceSamples(Channels&& replaced, const std::array<bool, 6>& which);
    // Back to the samples as read, without a copy.
    void resetSamples();

    static std::array<const double*, 6> ConstPointers(const Channels& set);
    static std::array<double*, 6> Pointers(Channels& set);

    // The operations of the window's commands. The pair operations ("M" first) work from
    // the snapshot into the working samples: each pair's result goes to its first channel and
    // the second is cleared. All need at least two samples (and the pair operations the
    // snapshot) and leave everything as it was without them (false).
    void TakeSnapshot();
    bool PairSums();                // p1 + p2 per pair
    bool PairDifferences();         // p1 - p2 per pair
    bool IntegrateChannels();       // every channel integrated over time (displacement-like)
    bool DifferentiateChannels();   // every channel differentiated over time
    // Particle velocity per pair from Euler's equation: the integral of (p2 - p1) dt over
    // density * spacing of the pair, m/s for pascals.
    bool PairVelocities(double density, const std::array<double, 3>& spacings);
    // Replaces the working samples with t between x1 and x2 by the line through the samples at
    // the first times at or after x1 and x2; false (nothing changed) when those are not two
    // distinct samples.
    bool BridgeLinearly(double x1, double x2);
    // Frequencies of the first N/2 bins, k / t[N-1] (sizes the array).
    void FillFrequencies();
    // dB of the amplitude spectra against the display factors (EnsureDb first).
    void FillDb(const std::array<double, 6>& factors);

    double timeStep() const { return count() >= 2 ? segment.time[1] - segment.time[0] : 0.0; }
};

// Bytes the window will hold for n samples per channel: every array above, the dB set, the
// chart's copy of the points (two doubles per point) and the transient buffers of opening
// (the test signal's noise, one channel of chart points being built).
int64_t ProcessingBytesNeeded(int64_t n);

// Memory the system can give right now (MemAvailable, and no more than the address space the
// process may still take under its limit), or -1 when unknown.
int64_t AvailableMemoryBytes();

// The refusal shown when need exceeds available, sizes in readable units.
std::string MemoryRefusalText(int64_t samples, int64_t need, int64_t available);

// Factors from stored samples (ADC steps) to displayed values, per channel.
//   item 0 pascals: VOLT x Pa-per-volt of the channel, or VOLT x 400 for the test signal;
//   item 1 volts:   VOLT;  item 2 (dB / intensity): 1.0.
std::array<double, 6> DisplayFactors(int unitItem, bool testSignal, double volt,
                                     const std::array<double, 6>& paPerVolt);

// dB of one amplitude-spectrum value: v = 0.1220703125 x spectrum / factor; 0 when v is
// below 0.0001 or not a number, else 20 (log10 v - log10 2e-5).
double DbValue(double spectrum, double factor);

// Which cursor a mouse press at x grabs: 0 none, 1 or 2; cursor 2 wins when both are
// within the tolerance.
int CursorGrabTarget(bool cursorsOn, int x, int cursor1, int cursor2, int tolerance);

// The highest frequency the analysis band may reach for a time axis: trunc(0.5 / dt).
int NyquistLimit(const double* time, int32_t count);
