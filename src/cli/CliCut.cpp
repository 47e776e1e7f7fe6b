// cut: a stretch of a raw recording saved as a segment, exactly as the playback window's export
// saves the visible stretch.
#include "CliAudio.h"
#include "CliContext.h"

#include "PlaybackFrame.h"
#include "Recording.h"
#include "ProcessingData.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "ResultText.h"
#include "SettingLimits.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <unistd.h>

namespace {

const char kCutHelp[] =
    "Usage: sonorix-cli cut REC.dat --from T --to T -o SEG.kvnb [--force] [constants]\n"
    "Saves the stretch from T to T of a raw recording as a segment file, exactly as the playback\n"
    "window's export saves the visible stretch: full rate, unfiltered (despiked ADC steps),\n"
    "channels in the configured order, the configured sensitivities in the header.\n"
    "  --from T, --to T   seconds from the start of the recording: 12.5, 1:02.5 or 0:01:02.500\n"
    "  -o SEG.kvnb        the segment file to write\n"
    "  --force            replace SEG.kvnb if it exists\n"
    "A stretch of fewer than 100 samples is refused.\n";

const char kCutAudioHelp[] =
    "  -o FILE.wav        write a 32-bit float WAV instead: the six microphones in volts (ADC\n"
    "                     steps x VOLT), --full-scale volts at 1.0, the rate and the\n"
    "                     sensitivities in its comment\n"
    "An audio file is cut as a recording is, into either form (a segment needs an even rate);\n"
    "a segment holds its volts as ADC steps of VOLT.\n";

// What a stretch of six microphones is written with, whatever it was read from.
struct Stretch {
    uint32_t rate = 0;       // as the segment header stores it
    double duration = 0.0;   // N = SegmentSampleCount(rate, duration)
    uint32_t wavRate = 0;    // samples per second of the WAV: those the samples are spaced by
    int64_t count = 0;       // samples per channel the WAV holds
    std::array<const double*, 6> first{};
    int64_t available = 0;    // samples each channel holds from first on
    double unitVolts = 1.0;   // volts of one unit of the samples
};

// The WAV's comment: what another program needs to read its samples as pressures.
std::string wavComment(const Context& ctx, uint32_t rate, double fullScale)
{
    std::string sensitivities;
    for (double s : ChannelSensitivities(ctx.settings))
        sensitivities += (sensitivities.empty() ? "" : ",") + MachineNumber(s);
    return "microphones=1..6; rate_hz=" + std::to_string(rate) + "; sensitivities_mv_pa=" + sensitivities +
           "; full_scale_v=" + MachineNumber(fullScale);
}

bool writeWav(const Context& ctx, const std::string& target, bool force, const Stretch& stretch,
              double fullScale)
{
    const int64_t n = stretch.count;
    if (n < 1 || n > stretch.available || n > INT32_MAX) {
        ctx.fail(target, "the stretch reaches past the samples read");
        return false;
    }
    Segment volts;
    volts.Allocate(static_cast<int32_t>(n));
    volts.sampleRate = stretch.wavRate;
    for (size_t c = 0; c < 6; ++c)
        for (int64_t j = 0; j < n; ++j)
            volts.channels[c][static_cast<size_t>(j)] = stretch.first[c][j] * stretch.unitVolts;
    std::vector<char> bytes;
    if (const AudioResult encoded =
            EncodeFloatWav(volts, fullScale, wavComment(ctx, volts.sampleRate, fullScale), bytes);
        !encoded.ok()) {
        ctx.fail(target, encoded.message);
        return false;
    }
    if (const std::string error = WriteOutputFile(target, std::string(bytes.begin(), bytes.end()), force);
        !error.empty()) {
        ctx.fail("", error);
        return false;
    }
    return true;
}

// The records of the frame the playback window would read for the stretch.
struct Frame {
    uint32_t start = 0;   // the whole second the frame starts at
    uint32_t rate = 0;
    int total = 0;   // records read
    std::array<std::vector<double>, 6> channels;
    std::vector<double> time;
};

// The playback window reads whole seconds from the second the stretch starts in; the stretch is
// the "visible window" inside that frame. Only the records up to the first one past the stretch
// are read, so damage later in the frame cannot fail an intact stretch.
bool readFrame(const Context& ctx, const std::string& path, TReadIshFile& reader, double from, double to,
               Frame& frame)
{
    frame.start = static_cast<uint32_t>(std::floor(from));
    const int64_t frameSeconds = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(to - frame.start)));
    const int64_t neededRecords = static_cast<int64_t>(std::ceil((to - frame.start) * frame.rate)) + 2;
    const int64_t totalWanted = std::min<int64_t>(frameSeconds * frame.rate, neededRecords);
    if (totalWanted > INT32_MAX) {
        ctx.fail(path, "the stretch is too long to cut in one piece");
        return false;
    }
    // Six channels and the time axis of the frame are held at once.
    const int64_t need = totalWanted * 7 * static_cast<int64_t>(sizeof(double));
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available) {
        ctx.fail(path, MemoryRefusalText(totalWanted, need, available));
        return false;
    }
    frame.total = static_cast<int>(totalWanted);
    std::array<double*, 6> pointers{};
    for (int c = 0; c < 6; ++c) {
        frame.channels[c].assign(static_cast<size_t>(frame.total), 0.0);
        pointers[c] = frame.channels[c].data();
    }
    frame.time.assign(static_cast<size_t>(frame.total), 0.0);
    const uint32_t s = frame.start;
    if (reader.SeekTo(s / 3600, (s % 3600) / 60, s % 60) != 0 ||
        reader.ReadFrame(1, frame.total, frame.time.data(), pointers, static_cast<int>(frameSeconds)) != 0) {
        ctx.fail(path, "the stretch cannot be read");
        return false;
    }
    reader.Close();
    return true;
}

// The writer reports its failures in boxes; they become one line with the system's reason.
bool writeSegmentFile(const Context& ctx, const std::string& target, bool force, const Stretch& stretch)
{
    const std::array<double, 6> sensitivities = ChannelSensitivities(ctx.settings);
    ctx.presenter.startCapture();
    TReadWriteMyFile file(target);
    bool failed = file.OpenForWriting(force);
    if (!failed) {
        // The stretch fits the samples read (checked before), so a failure here is the write's,
        // and Close reports its reason without committing anything.
        failed = file.WriteSegment(stretch.rate, stretch.duration, sensitivities, stretch.first,
                                   stretch.available);
        failed = file.Close() || failed;
    }
    const std::string reason = ctx.presenter.takeCaptured();
    if (failed) {
        const bool exists = ::access(target.c_str(), F_OK) == 0;
        ctx.fail(target,
                 "cannot write the segment: " + (reason.empty() ? std::string("no reason given") : reason) +
                     (exists && !force ? " (use --force to replace it)" : ""));
    }
    return !failed;
}

bool writesWav(const std::string& target)
{
    return LowerExtension(target) == ".wav";
}

// What the file will store (a WAV's full scales, a segment's ADC steps) must be what its reader
// takes back: a value beyond the readers' bound is refused here, not written.
bool storableStretch(const Context& ctx, const std::string& target, const Stretch& stretch, double unitStored)
{
    const int64_t n = std::min(stretch.available,
                               std::max(stretch.count, SegmentSampleCount(stretch.rate, stretch.duration)));
    for (size_t c = 0; c < 6; ++c)
        for (int64_t j = 0; j < n; ++j)
            if (!IsValidSample(stretch.first[c][j] * unitStored)) {
                ctx.fail(target, "microphone " + std::to_string(c + 1) + ", sample " + std::to_string(j) +
                                     ": " + MachineNumber(stretch.first[c][j] * stretch.unitVolts) +
                                     " V cannot be stored (beyond " +
                                     MachineNumber(setting_limits::kSampleMagnitudeMax) +
                                     " of the file's units); nothing is written");
                return false;
            }
    return true;
}

// A segment's samples are ADC steps; a stretch in another unit is converted into them.
bool writeStretch(const Context& ctx, const std::string& target, bool force, const Stretch& stretch,
                  double fullScale)
{
    if (!storableStretch(ctx, target, stretch,
                         writesWav(target) ? stretch.unitVolts / fullScale
                                           : stretch.unitVolts / ctx.settings.VOLT))
        return false;
    if (writesWav(target))
        return writeWav(ctx, target, force, stretch, fullScale);
    if (stretch.unitVolts == ctx.settings.VOLT)
        return writeSegmentFile(ctx, target, force, stretch);
    std::array<std::vector<double>, 6> steps;
    Stretch converted = stretch;
    for (size_t c = 0; c < 6; ++c) {
        steps[c].assign(stretch.first[c], stretch.first[c] + stretch.available);
        for (double& v : steps[c])
            v *= stretch.unitVolts / ctx.settings.VOLT;
        converted.first[c] = steps[c].data();
    }
    converted.unitVolts = ctx.settings.VOLT;
    return writeSegmentFile(ctx, target, force, converted);
}

// The duration a segment header gives n samples at an even rate by: n / rate, moved up by the
// last bit where the product with the rate falls short of n in floating point.
double durationOf(int64_t n, uint32_t evenRate)
{
    double duration = static_cast<double>(n) / evenRate;
    for (int step = 0; step < 4 && SegmentSampleCount(evenRate, duration) < n; ++step)
        duration = std::nextafter(duration, INFINITY);
    return duration;
}

class CutCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kCutHelp) + kCutAudioHelp + AudioOptionsHelp(false);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine&) override
    {
        AddValueOption(app, "--from", from_);
        AddValueOption(app, "--to", to_);
        AddValueOption(app, "-o", target_);
        AddFlagOption(app, "--force", force_);
        AddAudioOptions(app, audioOptions_, false);
    }
    std::string usageProblem(const CommandLine&) const override
    {
        AudioPlan audio;
        return MakeAudioPlan(audioOptions_, audio);
    }
    int run(const Context& ctx, const CommandLine& line) override;

private:
    int cut(const Context& ctx, const std::string& path, double from, double to) const;
    int cutAudio(const Context& ctx, const std::string& path, double from, double to) const;
    double fullScale() const
    {
        AudioPlan plan;
        (void)MakeAudioPlan(audioOptions_, plan);   // refused before the run when it cannot be made
        return plan.fullScale;
    }

    AudioOptions audioOptions_;
    std::optional<std::string> from_, to_, target_;
    bool force_ = false;
};

int CutCommand::run(const Context& ctx, const CommandLine& line)
{
    if (line.files.size() != 1 || !from_ || !to_ || !target_) {
        ctx.fail("", "cut needs one recording, --from, --to and -o (see cut --help)");
        return kExitUsage;
    }
    const std::optional<double> from = ParseTime(*from_);
    const std::optional<double> to = ParseTime(*to_);
    if (!from || !to || !(*to > *from)) {
        ctx.fail("", "--from and --to must be times (s, m:s or h:m:s) with --to after --from");
        return kExitUsage;
    }
    const std::string& path = line.files[0];
    const bool audio = IsAudioInput(path);
    if (!audio && LowerExtension(path) != ".dat") {
        ctx.fail(path, "not a raw recording (*.dat)");
        return kExitSomeFailed;
    }
    // Said before the recording is read: a target that cannot be replaced wastes no reading.
    if (const std::string problem = SameFileProblem(*target_, {path}); !problem.empty()) {
        ctx.fail(*target_, problem);
        return kExitUsage;
    }
    if (const std::string problem = OutputTargetProblem(*target_, force_); !problem.empty()) {
        ctx.fail(*target_, problem);
        return kExitSomeFailed;
    }
    return audio ? cutAudio(ctx, path, *from, *to) : cut(ctx, path, *from, *to);
}

int CutCommand::cut(const Context& ctx, const std::string& path, double from, double to) const
{
    ctx.presenter.setFile(path);
    TReadIshFile reader(path, ctx.settings);
    uint16_t h = 0, m = 0, s = 0;
    Frame frame;
    if (!OpenRecording(ctx, path, reader, h, m, s, frame.rate))
        return kExitSomeFailed;
    const double duration = double(h) * 3600 + double(m) * 60 + s;
    if (to > duration) {
        ctx.fail(path, "--to lies past the end of the recording (" + MachineNumber(duration) + " s)");
        return kExitSomeFailed;
    }
    if (!readFrame(ctx, path, reader, from, to, frame))
        return kExitSomeFailed;
    const ExportStretch stretch =
        SelectExportStretch(frame.time.data(), frame.total, from - frame.start, to - frame.start, frame.rate);
    if (stretch.refused) {
        ctx.fail(path, "Слишком малый временной интервал. Запись невозможна!");
        return kExitSomeFailed;
    }
    ctx.presenter.setFile({});
    if (SegmentSampleCount(frame.rate, stretch.duration) > frame.total - stretch.first) {
        ctx.fail(path, "the stretch reaches past the records read");
        return kExitSomeFailed;
    }
    Stretch out;
    out.rate = frame.rate;
    out.duration = stretch.duration;
    // The processing window spaces a segment's samples by the even rate; so does the WAV.
    out.wavRate = SegmentEvenRate(frame.rate);
    out.count = stretch.count;
    for (size_t c = 0; c < 6; ++c)
        out.first[c] = frame.channels[c].data() + stretch.first;
    out.available = frame.total - stretch.first;
    out.unitVolts = ctx.settings.VOLT;
    if (!writeStretch(ctx, *target_, force_, out, fullScale()))
        return kExitSomeFailed;
    ctx.out << *target_ << ": " << stretch.count << " samples per channel at " << SegmentEvenRate(frame.rate)
            << " Hz, duration " << MachineNumber(stretch.duration) << " s, from "
            << MachineNumber(frame.time[stretch.first]) << " s of " << path << '\n';
    return kExitOk;
}

int CutCommand::cutAudio(const Context& ctx, const std::string& path, double from, double to) const
{
    AudioOptions options = audioOptions_;
    options.from = from_;
    options.to = to_;
    AudioPlan plan;
    (void)MakeAudioPlan(options, plan);   // --from and --to are checked above, the rest before the run
    plan.from = from;
    plan.to = to;
    ctx.presenter.setFile(path);
    Recording recording;
    const bool read = Guarded(ctx, path, [&] { return LoadRecording(ctx, path, plan, recording); });
    Segment& volts = recording.samples;
    ctx.presenter.setFile({});
    if (!read)
        return kExitSomeFailed;
    if (volts.sampleCount < kMinimumExportSamples) {
        ctx.fail(path, "Слишком малый временной интервал. Запись невозможна!");
        return kExitSomeFailed;
    }
    if (!writesWav(*target_) && volts.sampleRate % 2 != 0) {
        ctx.fail(path,
                 "частота оцифровки " + std::to_string(volts.sampleRate) +
                     " Гц нечетная, а сегмент (*.kvnb) хранит только четную; сохраните участок в *.wav");
        return kExitSomeFailed;
    }
    Stretch out;
    out.rate = volts.sampleRate;
    out.duration = durationOf(volts.sampleCount, volts.sampleRate);
    out.wavRate = volts.sampleRate;
    out.count = volts.sampleCount;
    for (size_t c = 0; c < 6; ++c)
        out.first[c] = volts.channels[c].data();
    out.available = volts.sampleCount;
    if (!writeStretch(ctx, *target_, force_, out, plan.fullScale))
        return kExitSomeFailed;
    ctx.out << *target_ << ": " << volts.sampleCount << " samples per channel at " << volts.sampleRate
            << " Hz, duration " << MachineNumber(static_cast<double>(out.count) / out.wavRate) << " s, from "
            << MachineNumber(from) << " s of " << path << '\n';
    return kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeCutCommand()
{
    return std::make_unique<CutCommand>();
}
