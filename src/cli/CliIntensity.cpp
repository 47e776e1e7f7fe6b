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

std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out)
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
    const AnalysisStatus status = ComputeIntensitySpectra(constants, windowItem, n, channels, segment.time.data(),
                                                          groups[0], groups[1], groups[2], groups[3]);
    if (status != 0)
        return "the intensity spectra could not be computed (status " + std::to_string(status) + ")";
    return {};
}
