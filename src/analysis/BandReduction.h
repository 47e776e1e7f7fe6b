// How a frequency range of the intensity spectra becomes the bins that are reduced to band
// vectors or written as CSV rows, and the reduction itself. The processing window and the
// batch tool both go through these, so a band gives the same numbers wherever it is taken.
#pragma once

#include "ProbeLimits.h"
#include "ResultVectors.h"

#include <array>
#include <string>
#include <vector>

// I, J, K, П spectra (group g, axis a at index 3 g + a) over `bins` frequency bins.
struct IntensitySpectraView {
    std::array<const double*, 12> values{};
    const double* frequency = nullptr;   // Hz, f_k = k df
    int bins = 0;
};

// The intensity spectra owned as vectors.
struct IntensitySpectra {
    std::array<std::vector<double>, 12> values;
    std::vector<double> frequency;
    int bins() const { return static_cast<int>(frequency.size()); }
    IntensitySpectraView view() const;
};

// A frequency range, Hz; without one the whole spectrum is taken.
struct FrequencyRange {
    bool given = false;
    double lo = 0.0;
    double hi = 0.0;
};

// Bins of a band: the range is clamped to [0, f[bins-1]]; first is the first bin above lo
// (never bin 0, whose frequency is 0), end the first bin above hi or the last bin. The band
// reduces bins first ... end - 1. False when that holds no bin.
bool SelectBandBins(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first, int& end);

// Rows of the CSV file: from the first bin at or above lo (never bin 0) to the first at or
// above hi (or the last bin), inclusive. last < first means no row.
void CsvRowRange(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first, int& last);

enum class BandStatus {
    Ok,
    Empty,    // no bin in the band
    Failed,   // the integration refused the band (a bin width that is not positive)
};

enum class BandMethod {
    Integrated,   // an impulse: the band integral of the spectral densities
    Harmonics,    // a periodic signal: the sum of the harmonic lines in the band
};

struct BandResult {
    IntensityResult result;   // band vectors, chart half-widths and the band text
    int first = 0;            // bins first ... end - 1 were reduced
    int end = 0;
    double fLo = 0.0;   // f[first], f[end]: the limits the band text names
    double fHi = 0.0;
    BandMethod method = BandMethod::Integrated;
    // The peak detector failed on some component of a harmonic sum, which then counts 0;
    // the caller shows kPeakDetectorFailedText.
    bool detectorFailed = false;
};

// The equivalent noise bandwidth, in bins, of window list item `windowItem` (0 "Нет": 1) over
// n samples, as the intensity spectra were weighted with it.
double WindowItemEnbw(int windowItem, int n);

// The sentence on what the probe cannot measure for a band just reduced (ProbeLimitTextRu),
// empty when the band is within its limits: the band's upper frequency (the one its text
// names) against k dr = 1 for the pair spacings, and the bin of the band's strongest active
// intensity (largest |I| over the three axes) against the width of the window (windowEnbw in
// bins, 1 when the spectra were not weighted).
std::string BandLimitWarning(const IntensitySpectraView& spectra, const BandResult& band,
                             const std::array<double, 3>& spacings, double soundSpeed, double windowEnbw);
// The findings behind that sentence, for callers that word them themselves.
ProbeLimitCheck CheckBandLimits(const IntensitySpectraView& spectra, const BandResult& band,
                                const std::array<double, 3>& spacings, double soundSpeed, double windowEnbw);

// impuls 0 integrates the band as an impulse; 1 sums its harmonic lines, with maxI and maxJ
// the largest magnitudes of the I and J components so the vector always fits its charts.
// Fills everything but the result's texts.
BandStatus ReduceBandVectors(const IntensitySpectraView& spectra, const FrequencyRange& range, int impuls,
                             BandResult& out);
