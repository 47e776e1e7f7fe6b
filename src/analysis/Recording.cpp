#include "Recording.h"

#include "CoreText.h"
#include "InputFile.h"
#include "Intensity.h"
#include "ProcessingData.h"
#include "ReadWriteMyFile.h"
#include "TestSignal.h"

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

InputRead readSegment(const std::string& path, const PointFailure& fail, Segment& segment)
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

// The planned stretch of an audio file in volts, and the file's comment.
bool readAudio(const std::string& path, const AudioPlan& plan, const PointFailure& fail, Segment& segment,
               std::string& comment)
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
    comment = info.comment;
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
    return true;
}

}   // namespace

const char* PascalSourceName(PascalSource source)
{
    switch (source) {
    case PascalSource::FixedFactor:
        return "fixed factor";
    case PascalSource::SegmentFile:
        return "segment file";
    case PascalSource::AudioComment:
        return "audio comment";
    case PascalSource::Settings:
        return "settings";
    case PascalSource::Option:
        return "option";
    case PascalSource::TestSignal:
        return "test signal";
    }
    return "";
}

bool RecordingScale::uniform() const
{
    for (size_t k = 1; k < pascalPerUnit.size(); ++k)
        if (pascalPerUnit[k] != pascalPerUnit[0] || pascalSource[k] != pascalSource[0])
            return false;
    return true;
}

bool RecordingScale::bySensitivities() const
{
    for (const PascalSource source : pascalSource)
        if (source != PascalSource::FixedFactor && source != PascalSource::TestSignal)
            return true;
    return false;
}

std::array<double, 6> ChannelSensitivities(const Settings& s)
{
    std::array<double, 6> sensitivities{};
    for (size_t i = 0; i < sensitivities.size(); ++i) {
        const int32_t slot = s.Chs[i];
        sensitivities[i] = (slot >= 0 && slot < 6) ? s.Chuv[static_cast<size_t>(slot)] : 0.0;
    }
    return sensitivities;
}

std::string DecidePascals(RecordingScale& scale, const Settings& settings, const PascalRequest& request)
{
    if (scale.kind == RecordingKind::TestSignal) {
        scale.voltsPerUnit = settings.VOLT;
        scale.pascalPerUnit.fill(settings.VOLT * kTestSignalPascalPerVolt);
        scale.pascalSource.fill(PascalSource::TestSignal);
        return {};
    }
    // Typed sensitivities win over everything; a file's own come next; the settings last.
    const std::array<double, 6> stored = ChannelSensitivities(settings);
    const PascalSource storedSource =
        request.sensitivitiesFromOption ? PascalSource::Option : PascalSource::Settings;
    for (size_t k = 0; k < 6; ++k) {
        const bool fileHasOne =
            scale.sensitivity[k] > 0.0 && (scale.sensitivitySource[k] == PascalSource::SegmentFile ||
                                           scale.sensitivitySource[k] == PascalSource::AudioComment);
        if (request.sensitivitiesFromOption || !fileHasOne) {
            scale.sensitivity[k] = stored[k];
            scale.sensitivitySource[k] = storedSource;
        }
    }
    const bool bySensitivity = scale.kind == RecordingKind::Audio || request.calibrated;
    std::string refused;
    for (size_t k = 0; k < 6; ++k) {
        const double factor = 1000.0 * scale.voltsPerUnit / scale.sensitivity[k];
        const bool usable = scale.sensitivity[k] > 0.0 && std::isfinite(factor) && factor > 0.0;
        if (bySensitivity && usable) {
            scale.pascalPerUnit[k] = factor;
            scale.pascalSource[k] = scale.sensitivitySource[k];
            continue;
        }
        // A factor of 0 or infinity would wipe out or swamp every intensity of its axis without
        // a word; a segment's fixed factor at least keeps the results what they always were.
        scale.pascalPerUnit[k] = scale.kind == RecordingKind::Audio ? 0.0 : kFilePascalPerStep;
        scale.pascalSource[k] = PascalSource::FixedFactor;
        if (bySensitivity)
            refused += (refused.empty() ? "" : ", ") + std::to_string(k + 1);
    }
    if (refused.empty())
        return {};
    return FillArgs(CoreText("Recording", "чувствительность микрофонов %1 не дает конечного положительного "
                                          "множителя паскалей"),
                    {refused});
}

IntensityConstants IntensityConstantsOf(const Settings& settings, const RecordingScale& scale)
{
    return IntensityConstantsFrom(settings, scale.pascalPerUnit);
}

IntensityConstants IntensityConstantsFrom(const Settings& settings, bool testSignal)
{
    RecordingScale scale;
    scale.kind = testSignal ? RecordingKind::TestSignal : RecordingKind::Segment;
    scale.voltsPerUnit = settings.VOLT;
    PascalRequest request;
    request.calibrated = settings.I_PO_CHUV;
    (void)DecidePascals(scale, settings, request);
    return IntensityConstantsOf(settings, scale);
}

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

std::optional<std::array<double, 6>> CommentSensitivities(const std::string& comment)
{
    const std::string key = "sensitivities_mv_pa=";
    const size_t at = comment.find(key);
    if (at == std::string::npos)
        return std::nullopt;
    std::array<double, 6> values{};
    const char* p = comment.data() + at + key.size();
    const char* end = comment.data() + comment.size();
    for (size_t k = 0; k < values.size(); ++k) {
        if (k > 0) {
            if (p >= end || *p != ',')
                return std::nullopt;
            ++p;
        }
        const auto [next, ec] = std::from_chars(p, end, values[k]);
        if (ec != std::errc() || !(values[k] > 0.0) || !std::isfinite(values[k]))
            return std::nullopt;
        p = next;
    }
    return values;
}

std::string ScaleSamples(RecordingKind kind, const std::string& audioComment, const Settings& settings,
                         const PascalRequest& request, Segment& samples, RecordingScale& scale)
{
    scale = RecordingScale{};
    scale.kind = kind;
    scale.voltsPerUnit = kind == RecordingKind::Audio ? 1.0 : settings.VOLT;
    if (kind == RecordingKind::Segment) {
        for (size_t k = 0; k < 6; ++k) {
            scale.sensitivity[k] = 1000.0 / samples.paPerVolt[k];
            scale.sensitivitySource[k] = PascalSource::SegmentFile;
        }
    } else if (kind == RecordingKind::Audio) {
        if (const auto own = CommentSensitivities(audioComment)) {
            scale.sensitivity = *own;
            scale.sensitivitySource.fill(PascalSource::AudioComment);
        }
    }
    std::string refusal = DecidePascals(scale, settings, request);
    if (kind != RecordingKind::TestSignal)
        for (size_t k = 0; k < 6; ++k)
            samples.paPerVolt[k] = scale.sensitivity[k] > 0.0 ? 1000.0 / scale.sensitivity[k] : 0.0;
    return refusal;
}

InputRead OpenRecording(const std::string& path, const Settings& settings, const AudioPlan& plan,
                        const PascalRequest& request, const PointFailure& fail, Recording& out)
{
    out = Recording{};
    out.origin = path;
    RecordingScale& scale = out.scale;
    if (!IsAudioInput(path)) {
        // Said, so that a stretch asked for is never taken for the one analysed.
        if (plan.given && LowerExtension(path) == ".kvnb")
            fail(path, CoreText("SurveyPointAnalysis",
                                "предупреждение: --channels, --from, --to и --full-scale "
                                "относятся только к звукозаписям; сегмент прочитан целиком"));
        const InputRead read = readSegment(path, fail, out.samples);
        if (read != InputRead::Ok)
            return read;
        if (const std::string refusal =
                ScaleSamples(RecordingKind::Segment, {}, settings, request, out.samples, scale);
            !refusal.empty())
            fail(path, CoreText("Recording", "предупреждение: ") + refusal);
    } else {
        std::string comment;
        if (!readAudio(path, plan, fail, out.samples, comment))
            return InputRead::Refused;
        if (const std::string refusal =
                ScaleSamples(RecordingKind::Audio, comment, settings, request, out.samples, scale);
            !refusal.empty()) {
            fail(path, refusal);
            return InputRead::Refused;
        }
    }
    return InputRead::Ok;
}

std::string MakeTestSignalRecording(const Settings& settings, Recording& out)
{
    out = Recording{};
    uint32_t rate = 0;
    double duration = 0.0;
    TReadWriteMyFile::TestSignalHeader(settings, rate, duration);
    const uint32_t evenRate = SegmentEvenRate(rate);
    if (settings.freq_ocifr <= 0 || !(duration > 0.0))
        return "the test signal needs a positive sampling rate and duration";
    const int64_t n = TestSignalSampleCount(evenRate, duration);
    if (n < 4 || n > INT32_MAX)
        return "the test signal would hold " + std::to_string(n) +
               " samples per channel; 4 to 2147483647 can be analysed";
    const int64_t need = ProcessingBytesNeeded(n);
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available)
        return MemoryRefusalText(n, need, available);
    Segment& segment = out.samples;
    segment.Allocate(static_cast<int32_t>(n));
    segment.sampleRate = evenRate;
    double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    SynthesizeTestSignal(TestSignalParams::FromSettings(settings), n, channels, segment.time.data());
    (void)ScaleSamples(RecordingKind::TestSignal, {}, settings, {}, segment, out.scale);
    return {};
}
