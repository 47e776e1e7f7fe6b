// The processing window's intensity chain without the window: the test signal as the window
// synthesises it, the intensity spectra, the band of bins a frequency range selects, and the
// band reduction (integration for an impulse, summed harmonics for a periodic signal).
#pragma once

#include "ResultVectors.h"
#include "Segment.h"
#include "Settings.h"

#include <array>
#include <string>
#include <vector>

// The test signal the processing window opens on "Демосигнал": rate freq_ocifr with its
// lowest bit cleared, duration dlit, parameters from the record. Empty text on success.
std::string SynthesizeDemoSegment(const Settings& s, Segment& segment);

// I, J, K, П spectra of a segment (group g, axis a at index 3 g + a) and their frequency axis
// f_k = k / t[N-1], N/2 bins each.
struct IntensitySpectra {
    std::array<std::vector<double>, 12> values;
    std::vector<double> frequency;
    int bins() const { return static_cast<int>(frequency.size()); }
};

// Runs ComputeIntensitySpectra on the segment with the record that is published (it reads
// impuls, VOLT, plotnost, skorost, lmic and the test-signal flag). Empty text on success.
std::string ComputeSegmentIntensity(const Segment& segment, int windowItem, IntensitySpectra& out);

// A frequency range, Hz; without one the whole spectrum is taken, as the window's chart shows
// it after the intensity command.
struct FrequencyRange {
    bool given = false;
    double lo = 0.0;
    double hi = 0.0;
};

struct BandResult {
    IntensityResult result;   // band vectors, chart half-widths and the band text
    int first = 0;            // bins first ... end - 1 were reduced
    int end = 0;
    double fLo = 0.0;         // f[first], f[end]: the limits the band text names
    double fHi = 0.0;
};

// The band reduction of the window's "I , J" command with the cursors off: the range is
// clamped to the spectrum, the first bin is the first above lo (never bin 0), the end bin the
// first above hi (or the last bin). impuls 0 integrates, 1 sums harmonic lines. Empty text on
// success; a range with no bin in it is refused.
std::string ReduceBand(const IntensitySpectra& spectra, const FrequencyRange& range, int impuls,
                       BandResult& out);

// Rows of the intensity-spectra CSV for a range, as the window's export chooses them: from the
// first bin at or above lo (never bin 0) to the first at or above hi (or the last bin).
void CsvRowRange(const IntensitySpectra& spectra, const FrequencyRange& range, int& first, int& last);
