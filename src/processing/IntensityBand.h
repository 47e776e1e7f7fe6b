// How a frequency range of the intensity spectra becomes the bins that are reduced to band
// vectors or written as CSV rows, the reduction itself and the CSV lines. The processing
// window and the batch tool both go through these, so a band gives the same numbers and the
// same file wherever it is taken.
#pragma once

#include "ResultVectors.h"

#include <QStringList>

#include <array>
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
bool SelectBandBins(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first,
                    int& end);

// Rows of the CSV file: from the first bin at or above lo (never bin 0) to the first at or
// above hi (or the last bin), inclusive. last < first means no row.
void CsvRowRange(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first,
                 int& last);

enum class BandStatus {
    Ok,
    Empty,     // no bin in the band
    Failed,    // the integration refused the band (a bin width that is not positive)
};

struct BandResult {
    IntensityResult result;   // band vectors, chart half-widths and the band text
    int first = 0;            // bins first ... end - 1 were reduced
    int end = 0;
    double fLo = 0.0;         // f[first], f[end]: the limits the band text names
    double fHi = 0.0;
};

// impuls 0 integrates the band as an impulse; 1 sums its harmonic lines, with maxI and maxJ
// the largest magnitudes of the I and J components so the vector always fits its charts.
BandStatus ReduceBand(const IntensitySpectraView& spectra, const FrequencyRange& range,
                      int impuls, BandResult& out);

// The lines of the intensity-spectra CSV file for rows first ... last (none when last <
// first): title, two ";" lines, the header, one line per bin (every value with 2 decimals
// and followed by ";"), two ";" lines and the note on units. Numbers use the decimal
// separator of the default QLocale.
QStringList IntensityCsvLines(const IntensitySpectraView& spectra, int first, int last);
