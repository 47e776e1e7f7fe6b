#include "SurveyPointAnalysis.h"

#include "CoreText.h"
#include "LargeBuffer.h"
#include "PlaybackFrame.h"
#include "ProcessingData.h"
#include "ReadWriteMyFile.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <cmath>
#include <set>

namespace {

const std::set<std::string> kAudioExtensions = {".wav", ".w64", ".rf64", ".flac", ".caf", ".aif", ".aiff"};

// The shortest text that reads back as the same double, dot decimal.
std::string numberText(double value)
{
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;   // 64 characters hold any double
    return std::string(buffer, end);
}

// The frame of a time: the nearest, so a stretch given in whole samples' times is read exactly.
int64_t frameAt(double seconds, int rate)
{
    return static_cast<int64_t>(std::llround(seconds * rate));
}

// Reads the body of a segment whose header has been read. On failure, `refusal` says why a
// segment is too large, or stays empty when the reader has said why it failed.
bool readSegmentBody(TReadWriteMyFile& file, uint32_t rate, double duration, Segment& segment,
                     std::string& refusal)
{
    const uint32_t evenRate = SegmentEvenRate(rate);
    const int64_t n = SegmentSampleCount(evenRate, duration);
    // The segment, its spectra and the intensity routine's work arrays: about 40 arrays of N
    // doubles at the peak.
    const int64_t need = 40 * 8 * n;
    const int64_t available = AvailableMemoryBytes();
    if (n > INT32_MAX || (available >= 0 && need > available)) {
        refusal = MemoryRefusalText(n, need, available);
        return false;
    }
    segment.Allocate(static_cast<int32_t>(n));
    segment.sampleRate = evenRate;
    std::array<double*, 6> channels{};
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    // The reader refuses a sample that is not a finite number and says where it is.
    if (file.ReadBody(evenRate, duration, channels, segment.time.data(), segment.paPerVolt)) {
        segment.Clear();
        return false;
    }
    return true;
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

bool IsAudioInput(const std::string& path)
{
    const std::string ext = LowerExtension(path);
    if (kAudioExtensions.count(ext))
        return true;
    if (ext == ".dat" || ext == ".kvnb" || !InputFileProblem(path).empty())
        return false;
    AudioFileInfo info;
    return ReadAudioInfo(path, info).status != AudioStatus::CannotOpen;
}

InputRead ReadSegmentInput(const std::string& path, const PointFailure& fail, Segment& segment)
{
    // What the path is comes first: a folder is no file of any kind, and saying so is plainer.
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        fail(path, problem);
        return InputRead::Refused;
    }
    if (LowerExtension(path) != ".kvnb") {
        fail(path, "not a segment file (*.kvnb)");
        return InputRead::Refused;
    }
    TReadWriteMyFile file(path);
    uint32_t rate = 0;
    double duration = 0.0;
    bool failed = file.OpenForReading() || file.ReadHeader(rate, duration);
    if (!failed) {
        std::string refusal;
        failed = !readSegmentBody(file, rate, duration, segment, refusal);
        if (!refusal.empty()) {
            file.Close();
            fail(path, refusal);
            return InputRead::Refused;
        }
    }
    file.Close();
    return failed ? InputRead::ReaderFailed : InputRead::Ok;
}

bool ReadAudioVolts(const std::string& path, const Settings& settings, const AudioPlan& plan,
                    const PointFailure& fail, Segment& segment)
{
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        fail(path, problem);
        return false;
    }
    AudioFileInfo info;
    if (const AudioResult opened = ReadAudioInfo(path, info); !opened.ok()) {
        // The library's messages name the file themselves.
        fail("", opened.message);
        return false;
    }
    const double duration = info.sampleRate > 0 ? static_cast<double>(info.frames) / info.sampleRate : 0.0;
    // Said before any stretch is looked at: --from is not to blame for an empty recording.
    if (info.frames <= 0) {
        fail(path, CoreText("SurveyPointAnalysis", "в записи нет ни одного отсчета"));
        return false;
    }
    const int64_t start = frameAt(plan.from, info.sampleRate);
    if (start >= info.frames) {
        fail(path, FillArgs(CoreText("SurveyPointAnalysis", "--from %1 с лежит за концом записи (%2 с)"),
                            {numberText(plan.from), numberText(duration)}));
        return false;
    }
    if (plan.to && frameAt(*plan.to, info.sampleRate) > info.frames) {
        fail(path, FillArgs(CoreText("SurveyPointAnalysis", "--to %1 с лежит за концом записи (%2 с)"),
                            {numberText(*plan.to), numberText(duration)}));
        return false;
    }
    const int64_t end = plan.to ? frameAt(*plan.to, info.sampleRate) : info.frames;
    const int64_t n = AudioStretchFrames(info, start, end - start);
    if (n < 1) {
        fail(path, CoreText("SurveyPointAnalysis", "в выбранном участке записи нет ни одного отсчета"));
        return false;
    }
    // The same check as for a segment: the stretch, its spectra and the intensity routine's work
    // arrays are about 40 arrays of N doubles at the peak.
    const int64_t need = 40 * 8 * n;
    const int64_t available = AvailableMemoryBytes();
    if (n > INT32_MAX || (available >= 0 && need > available)) {
        fail(path, MemoryRefusalText(n, need, available));
        return false;
    }
    if (const AudioResult read = ReadAudioStretch(path, plan.map, start, n, plan.fullScale, segment);
        !read.ok()) {
        fail(path, read.message);
        return false;
    }
    const std::array<double, 6> sensitivities = ChannelSensitivities(settings);
    for (size_t m = 0; m < sensitivities.size(); ++m)
        segment.paPerVolt[m] = 1000.0 / sensitivities[m];
    return true;
}

void ConvertVoltsToPascals(Segment& segment)
{
    for (size_t m = 0; m < segment.channels.size(); ++m)
        for (double& sample : segment.channels[m])
            sample *= segment.paPerVolt[m];
}

InputRead ReadPointInput(const std::string& path, const Settings& settings, const AudioPlan& plan,
                         const PointFailure& fail, Segment& segment, bool& pascals)
{
    pascals = IsAudioInput(path);
    if (!pascals) {
        // Said, so that a stretch asked for is never taken for the one analysed.
        if (plan.given && LowerExtension(path) == ".kvnb")
            fail(path, CoreText("SurveyPointAnalysis",
                                "предупреждение: --channels, --from, --to и --full-scale "
                                "относятся только к звукозаписям; сегмент прочитан целиком"));
        return ReadSegmentInput(path, fail, segment);
    }
    if (!ReadAudioVolts(path, settings, plan, fail, segment))
        return InputRead::Refused;
    ConvertVoltsToPascals(segment);
    return InputRead::Ok;
}

std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out)
{
    const int n = segment.sampleCount;
    if (n < 4 || segment.time.size() < static_cast<size_t>(n))
        return "too few samples for an intensity spectrum (" + std::to_string(n) + ")";
    const int bins = n / 2;
    const double df = 1.0 / segment.time[n - 1];
    AssignLarge(out.frequency, static_cast<size_t>(bins));
    for (int k = 0; k < bins; ++k)
        out.frequency[k] = k * df;
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
    if (status != 0)
        return "the intensity spectra could not be computed (status " + std::to_string(status) + ")";
    return {};
}

std::string AnalyseSegmentBands(const Settings& settings, const Segment& segment, bool pascals,
                                bool testSignal, int windowItem, BandAnalysisOptions options,
                                BandAnalysis& out)
{
    IntensityConstants constants = IntensityConstantsFrom(settings, testSignal);
    // An audio file's samples are pascals already, each through its own microphone's sensitivity.
    if (pascals)
        constants.pascalPerUnit = 1.0;
    IntensitySpectra spectra;
    if (std::string error = ComputeSegmentIntensity(constants, segment, windowItem, spectra); !error.empty())
        return error;
    // The spectra of a periodic signal are weighted with the window; an impulse's are not.
    options.windowEnbw = options.periodic ? WindowItemEnbw(windowItem, segment.sampleCount) : 1.0;
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
    Segment segment;
    bool pascals = false;
    const InputRead read = ReadPointInput(path, settings, plan.audio, collect, segment, pascals);
    if (read == InputRead::ReaderFailed && reasons.empty())
        collect(path, "cannot read the segment");
    if (read != InputRead::Ok)
        return reasons;
    reasons.clear();   // a warning of a read that went through
    if (std::string error =
            AnalyseSegmentBands(settings, segment, pascals, false, plan.window, plan.options, out);
        !error.empty())
        collect(path, error);
    return reasons;
}
