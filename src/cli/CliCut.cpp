// cut: a stretch of a raw recording saved as a segment, exactly as the playback window's export
// saves the visible stretch.
#include "CliContext.h"

#include "PlaybackFrame.h"
#include "ProcessingData.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"
#include "ResultText.h"

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
bool writeStretch(const Context& ctx, const std::string& target, bool force, const Frame& frame,
                  const ExportStretch& stretch)
{
    std::array<const double*, 6> first{};
    for (int c = 0; c < 6; ++c)
        first[c] = frame.channels[c].data() + stretch.first;
    const std::array<double, 6> sensitivities = ChannelSensitivities(ctx.settings);
    ctx.presenter.startCapture();
    TReadWriteMyFile file(target);
    bool failed = file.OpenForWriting(force);
    if (!failed) {
        // The stretch fits the records read (checked before), so a failure here is the write's,
        // and Close reports its reason without committing anything.
        failed = file.WriteSegment(frame.rate, stretch.duration, sensitivities, first,
                                   frame.total - stretch.first);
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

class CutCommand : public CliCommand {
public:
    const char* help() const override { return kCutHelp; }
    void addOptions(CLI::App& app, CommandLine&) override
    {
        AddValueOption(app, "--from", from_);
        AddValueOption(app, "--to", to_);
        AddValueOption(app, "-o", target_);
        AddFlagOption(app, "--force", force_);
    }
    int run(const Context& ctx, const CommandLine& line) override;

private:
    int cut(const Context& ctx, const std::string& path, double from, double to) const;

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
    if (LowerExtension(path) != ".dat") {
        ctx.fail(path, "not a raw recording (*.dat)");
        return kExitSomeFailed;
    }
    // Said before the recording is read: a target that cannot be replaced wastes no reading.
    if (const std::string problem = OutputTargetProblem(*target_, force_); !problem.empty()) {
        ctx.fail(*target_, problem);
        return kExitSomeFailed;
    }
    return cut(ctx, path, *from, *to);
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
    if (!writeStretch(ctx, *target_, force_, frame, stretch))
        return kExitSomeFailed;
    ctx.out << *target_ << ": " << stretch.count << " samples per channel at " << SegmentEvenRate(frame.rate)
            << " Hz, duration " << MachineNumber(stretch.duration) << " s, from "
            << MachineNumber(frame.time[stretch.first]) << " s of " << path << '\n';
    return kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeCutCommand()
{
    return std::make_unique<CutCommand>();
}
