#include "BandReduction.h"

#include "Intensity.h"
#include "ProbeLimits.h"
#include "Settings.h"
#include "Windows.h"

#include <algorithm>
#include <cmath>

IntensitySpectraView IntensitySpectra::view() const
{
    IntensitySpectraView v;
    for (int q = 0; q < 12; ++q)
        v.values[q] = values[q].data();
    v.frequency = frequency.data();
    v.bins = bins();
    return v;
}

bool SelectBandBins(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first, int& end)
{
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    first = end = 0;
    if (bins < 2 || f == nullptr)
        return false;
    double lo = range.given ? range.lo : 0.0;
    double hi = range.given ? range.hi : f[bins - 1];
    lo = std::max(lo, 0.0);
    hi = std::min(hi, f[bins - 1]);
    while (first < bins && !(f[first] > lo))
        ++first;
    while (end < bins && !(f[end] > hi))
        ++end;
    if (end == bins)
        end = bins - 1;
    if (first == 0)
        first = 1;
    return first < bins && end > first;
}

void CsvRowRange(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first, int& last)
{
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    const double lo = range.given ? range.lo : 0.0;
    const double hi = range.given ? range.hi : (bins > 0 ? f[bins - 1] : 0.0);
    first = 0;
    while (first < bins && !(f[first] >= lo))
        ++first;
    last = 0;
    while (last < bins && !(f[last] >= hi))
        ++last;
    if (last == bins)
        last = bins - 1;
    if (first == 0)
        first = 1;
}

BandStatus ReduceBandVectors(const IntensitySpectraView& spectra, const FrequencyRange& range, int impuls,
                             BandResult& out)
{
    int first = 0, end = 0;
    if (!SelectBandBins(spectra, range, first, end))
        return BandStatus::Empty;
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    const double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = spectra.values[3 * g + a];
    IntensityResult& r = out.result;
    if (impuls == Settings::kImpulsImpulse) {
        if (IntegrateBand(first, end, bins, f[1] - f[0], groups[0], groups[1], groups[2], groups[3], r.I, r.J,
                          r.K, r.P, r.maxI, r.maxJ) != 0)
            return BandStatus::Failed;
        out.method = BandMethod::Integrated;
    } else {
        std::array<double, 3>* targets[4] = {&r.I, &r.J, &r.K, &r.P};
        for (int g = 0; g < 4; ++g)
            for (int a = 0; a < 3; ++a) {
                double value = 0.0;
                // A failed detector leaves that band value 0; the caller says so once.
                if (SumBandHarmonics(first, end, bins, groups[g][a], f, value) != kAnalysisOk)
                    out.detectorFailed = true;
                (*targets[g])[a] = value;
            }
        r.maxI = LargestMagnitude(r.I);
        r.maxJ = LargestMagnitude(r.J);
        out.method = BandMethod::Harmonics;
    }
    out.first = first;
    out.end = end;
    out.fLo = f[first];
    out.fHi = f[end];
    return BandStatus::Ok;
}

double WindowItemEnbw(int windowItem, int n)
{
    if (windowItem == kWindowItemNone || n < 1)
        return 1.0;
    std::vector<double> weights(static_cast<size_t>(n), 1.0);
    WindowConstants constants;
    if (ApplyWindowListItem(weights.data(), n, windowItem, constants) != 0)
        return 1.0;
    return constants.enbw;
}

std::string BandLimitWarning(const IntensitySpectraView& spectra, const BandResult& band,
                             const std::array<double, 3>& spacings, double soundSpeed, double windowEnbw)
{
    return ProbeLimitTextRu(CheckBandLimits(spectra, band, spacings, soundSpeed, windowEnbw));
}

ProbeLimitCheck CheckBandLimits(const IntensitySpectraView& spectra, const BandResult& band,
                                const std::array<double, 3>& spacings, double soundSpeed, double windowEnbw)
{
    int strongest = -1;
    double largest = -1.0;
    for (int k = band.first; k < band.end && k < spectra.bins; ++k) {
        const double ix = spectra.values[0][k], iy = spectra.values[1][k], iz = spectra.values[2][k];
        const double modulus = std::sqrt(ix * ix + iy * iy + iz * iz);
        if (modulus > largest) {   // NaN never wins
            largest = modulus;
            strongest = k;
        }
    }
    return CheckProbeLimits(band.fHi, spacings, soundSpeed, windowEnbw, strongest);
}
