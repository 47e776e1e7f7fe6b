#include "SurveyPointAnalysis.h"

#include "CoreText.h"
#include "LargeBuffer.h"
#include "FrequencyAxis.h"
#include "ProcessingData.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <set>

namespace {

// The shortest text that reads back as the same double, dot decimal.
std::string numberText(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;   // 64 characters hold any double
    return std::string(buffer, end);
}

std::string noBandsError(const BandAnalysisOptions& options)
{
    const std::string kind = options.fraction == 1 ? "octave" : "one-third-octave";
    if (options.range.given)
        return "no " + kind + " band with its mid frequency in " + numberText(options.range.lo) + " : " +
               numberText(options.range.hi) + " Hz fits the spectrum";
    return "the spectrum is too short for a " + kind + " band";
}

}   // namespace

std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out)
{
    const int n = segment.sampleCount;
    if (n < 4 || segment.time.size() < static_cast<size_t>(n))
        return "too few samples for an intensity spectrum (" + std::to_string(n) + ")";
    const int bins = n / 2;
    AssignLarge(out.frequency, static_cast<size_t>(bins));
    FillBinFrequencies(SpectrumBinWidth(segment.time.data(), n), bins, out.frequency.data());
    for (auto& v : out.values)
        AssignLarge(v, static_cast<size_t>(bins));
    const double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = out.values[3 * g + a].data();
    const AnalysisStatus status = ComputeIntensitySpectra(
        constants, windowItem, n, channels, segment.time.data(), groups[0], groups[1], groups[2], groups[3]);
    if (status == kIntensityNoMemory)
        return MemoryRefusalText(n, 40 * 8 * static_cast<int64_t>(n), AvailableMemoryBytes());
    if (status != 0)
        return "the intensity spectra could not be computed (status " + std::to_string(status) + ")";
    return {};
}

std::string AnalyseRecordingBands(const Settings& settings, const Recording& recording, int windowItem,
                                  BandAnalysisOptions options, BandAnalysis& out)
{
    IntensitySpectra spectra;
    if (std::string error = ComputeSegmentIntensity(IntensityConstantsOf(settings, recording.scale),
                                                    recording.samples, windowItem, spectra);
        !error.empty())
        return error;
    // The spectra of a periodic signal are weighted with the window; an impulse's are not.
    options.windowEnbw = options.periodic ? WindowItemEnbw(windowItem, recording.samples.sampleCount) : 1.0;
    out = AnalyseOctaveBands(spectra.view(), options);
    if (out.bands.empty())
        return noBandsError(options);
    return {};
}

std::string AnalysePointFile(const std::string& path, const Settings& settings, const PointAnalysisPlan& plan,
                             BandAnalysis& out)
{
    std::string reasons;
    const PointFailure collect = [&](const std::string& file, const std::string& text) {
        reasons += (reasons.empty() ? "" : "; ") + (file.empty() ? text : file + ": " + text);
    };
    Recording recording;
    PascalRequest request;
    request.calibrated = settings.I_PO_CHUV;
    const InputRead read = OpenRecording(path, settings, plan.audio, request, collect, recording);
    if (read == InputRead::ReaderFailed && reasons.empty())
        collect(path, "cannot read the segment");
    if (read != InputRead::Ok)
        return reasons;
    reasons.clear();   // a warning of a read that went through
    if (std::string error = AnalyseRecordingBands(settings, recording, plan.window, plan.options, out);
        !error.empty())
        collect(path, error);
    return reasons;
}
