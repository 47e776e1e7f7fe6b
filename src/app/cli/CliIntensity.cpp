#include "CliIntensity.h"

#include "CliSupport.h"

#include "Intensity.h"
#include "ProcessingData.h"
#include "ReadWriteMyFile.h"
#include "ResultText.h"
#include "TestSignal.h"

#include <algorithm>
#include <climits>
#include <cmath>

std::string SynthesizeDemoSegment(const Settings& s, Segment& segment)
{
    uint32_t rate = 0;
    double duration = 0.0;
    TReadWriteMyFile::TestSignalHeader(s, rate, duration);
    const uint32_t evenRate = SegmentEvenRate(rate);
    if (s.freq_ocifr <= 0 || !(duration > 0.0))
        return "the test signal needs a positive sampling rate and duration";
    const int64_t n = TestSignalSampleCount(evenRate, duration);
    if (n < 4 || n > INT32_MAX)
        return "the test signal would hold " + std::to_string(n) +
               " samples per channel; 4 to 2147483647 can be analysed";
    const int64_t need = ProcessingBytesNeeded(n);
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available)
        return MemoryRefusalText(n, need, available);
    segment.Allocate(static_cast<int32_t>(n));
    segment.sampleRate = evenRate;
    double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    SynthesizeTestSignal(TestSignalParams::FromSettings(s), n, channels, segment.time.data());
    return {};
}

std::string ComputeSegmentIntensity(const Segment& segment, int windowItem, IntensitySpectra& out)
{
    const int n = segment.sampleCount;
    if (n < 4 || segment.time.size() < static_cast<size_t>(n))
        return "too few samples for an intensity spectrum (" + std::to_string(n) + ")";
    const int bins = n / 2;
    const double df = 1.0 / segment.time[n - 1];
    out.frequency.resize(bins);
    for (int k = 0; k < bins; ++k)
        out.frequency[k] = k * df;
    for (auto& v : out.values)
        v.assign(bins, 0.0);
    const double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = out.values[3 * g + a].data();
    const AnalysisStatus status = ComputeIntensitySpectra(windowItem, n, channels, segment.time.data(),
                                                          groups[0], groups[1], groups[2], groups[3]);
    if (status != 0)
        return "the intensity spectra could not be computed (status " + std::to_string(status) + ")";
    return {};
}

std::string ReduceBand(const IntensitySpectra& spectra, const FrequencyRange& range, int impuls,
                       BandResult& out)
{
    const int bins = spectra.bins();
    const std::vector<double>& f = spectra.frequency;
    if (bins < 2)
        return "the spectrum has no band to reduce";
    double lo = range.given ? range.lo : 0.0;
    double hi = range.given ? range.hi : f[bins - 1];
    lo = std::max(lo, 0.0);
    hi = std::min(hi, f[bins - 1]);

    int first = 0;
    while (first < bins && !(f[first] > lo))
        ++first;
    int end = 0;
    while (end < bins && !(f[end] > hi))
        ++end;
    if (end == bins)
        end = bins - 1;
    if (first == 0)
        first = 1;
    if (first >= bins || end <= first)
        return "no frequency bin lies in the band " + MachineNumber(lo) + " : " + MachineNumber(hi) + " Hz";

    const double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = spectra.values[3 * g + a].data();
    IntensityResult& r = out.result;
    std::string method;
    if (impuls == 0) {
        const AnalysisStatus status = IntegrateBand(first, end, bins, f[1] - f[0], groups[0], groups[1],
                                                    groups[2], groups[3], r.I, r.J, r.K, r.P, r.maxI, r.maxJ);
        if (status != 0)
            return "the band could not be integrated (status " + std::to_string(status) + ")";
        method = "Интегрирование импульса в диапазоне, Гц (";
    } else {
        std::array<double, 3>* targets[4] = {&r.I, &r.J, &r.K, &r.P};
        for (int g = 0; g < 4; ++g)
            for (int a = 0; a < 3; ++a) {
                double value = 0.0;
                // A failed detector has shown its message; the band value is then 0, as in
                // the window.
                (void)SumBandHarmonics(first, end, bins, groups[g][a], f.data(), value);
                (*targets[g])[a] = value;
            }
        r.maxI = LargestMagnitude(r.I);
        r.maxJ = LargestMagnitude(r.J);
        method = "Суммирование гармоник в диапазоне, Гц (";
    }
    out.first = first;
    out.end = end;
    out.fLo = f[first];
    out.fHi = f[end];
    r.bandText = method + FixedText(out.fLo, 5, 0).toStdString() + " : " +
                 FixedText(out.fHi, 5, 0).toStdString() + ")";
    return {};
}

void CsvRowRange(const IntensitySpectra& spectra, const FrequencyRange& range, int& first, int& last)
{
    const int bins = spectra.bins();
    const std::vector<double>& f = spectra.frequency;
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
