// sonorix-cli cut: a stretch of a raw recording saved as the playback window's export saves it.
#include "CliContext.h"

#include "PlaybackFrame.h"
#include "ProcessingData.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <unistd.h>
#include <vector>

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

int RunCut(const Context& ctx, const ParsedArgs& args)
{
    if (args.positional.size() != 1 || !args.value("--from") || !args.value("--to") || !args.value("-o")) {
        ctx.fail("", "cut needs one recording, --from, --to and -o (see cut --help)");
        return kExitUsage;
    }
    const std::string& path = args.positional[0];
    const std::string& target = *args.value("-o");
    const std::optional<double> from = ParseTime(*args.value("--from"));
    const std::optional<double> to = ParseTime(*args.value("--to"));
    if (!from || !to || !(*to > *from)) {
        ctx.fail("", "--from and --to must be times (s, m:s or h:m:s) with --to after --from");
        return kExitUsage;
    }
    if (LowerExtension(path) != ".dat") {
        ctx.fail(path, "not a raw recording (*.dat)");
        return kExitSomeFailed;
    }
    const bool force = args.has("--force");
    // Said before the recording is read: a target that cannot be replaced wastes no reading.
    if (const std::string problem = OutputTargetProblem(target, force); !problem.empty()) {
        ctx.fail(target, problem);
        return kExitSomeFailed;
    }
    ctx.presenter.setFile(path);
    TReadIshFile reader(path, ctx.settings);
    uint16_t h = 0, m = 0, s = 0;
    uint32_t rate = 0;
    if (!OpenRecording(ctx, path, reader, h, m, s, rate))
        return kExitSomeFailed;
    const double duration = double(h) * 3600 + double(m) * 60 + s;
    if (*to > duration) {
        ctx.fail(path, "--to lies past the end of the recording (" + MachineNumber(duration) + " s)");
        return kExitSomeFailed;
    }
    // The playback window reads whole seconds from the second the stretch starts in; the
    // stretch is the "visible window" inside that frame. Only the records up to the first one
    // past the stretch are read, so damage later in the frame cannot fail an intact stretch.
    const uint32_t start = static_cast<uint32_t>(std::floor(*from));
    const int64_t frameSeconds = std::max<int64_t>(1, static_cast<int64_t>(std::ceil(*to - start)));
    const int64_t neededRecords = static_cast<int64_t>(std::ceil((*to - start) * rate)) + 2;
    const int64_t totalWanted = std::min<int64_t>(frameSeconds * rate, neededRecords);
    if (totalWanted > INT32_MAX) {
        ctx.fail(path, "the stretch is too long to cut in one piece");
        return kExitSomeFailed;
    }
    // Six channels and the time axis of the frame are held at once.
    const int64_t need = totalWanted * 7 * static_cast<int64_t>(sizeof(double));
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available) {
        ctx.fail(path, MemoryRefusalText(totalWanted, need, available));
        return kExitSomeFailed;
    }
    const int total = static_cast<int>(totalWanted);
    std::array<std::vector<double>, 6> channels;
    std::array<double*, 6> pointers{};
    for (int c = 0; c < 6; ++c) {
        channels[c].assign(static_cast<size_t>(total), 0.0);
        pointers[c] = channels[c].data();
    }
    std::vector<double> time(static_cast<size_t>(total), 0.0);
    if (reader.SeekTo(start / 3600, (start % 3600) / 60, start % 60) != 0 ||
        reader.ReadFrame(1, total, time.data(), pointers, static_cast<int>(frameSeconds)) != 0) {
        ctx.fail(path, "the stretch cannot be read");
        return kExitSomeFailed;
    }
    reader.Close();

    const ExportStretch stretch = SelectExportStretch(time.data(), total, *from - start, *to - start, rate);
    if (stretch.refused) {
        ctx.fail(path, "Слишком малый временной интервал. Запись невозможна!");
        return kExitSomeFailed;
    }
    ctx.presenter.setFile({});
    if (SegmentSampleCount(rate, stretch.duration) > total - stretch.first) {
        ctx.fail(path, "the stretch reaches past the records read");
        return kExitSomeFailed;
    }
    std::array<const double*, 6> first{};
    for (int c = 0; c < 6; ++c)
        first[c] = channels[c].data() + stretch.first;
    const std::array<double, 6> sensitivities = ChannelSensitivities(ctx.settings);
    // The writer reports its failures in boxes; they become one line with the system's reason.
    ctx.presenter.startCapture();
    TReadWriteMyFile file(target);
    bool failed = file.OpenForWriting(force);
    if (!failed) {
        // The stretch fits the records read (checked above), so a failure here is the write's,
        // and Close reports its reason without committing anything.
        failed = file.WriteSegment(rate, stretch.duration, sensitivities, first, total - stretch.first);
        failed = file.Close() || failed;
    }
    const std::string reason = ctx.presenter.takeCaptured();
    if (failed) {
        const bool exists = ::access(target.c_str(), F_OK) == 0;
        ctx.fail(target,
                 "cannot write the segment: " + (reason.empty() ? std::string("no reason given") : reason) +
                     (exists && !force ? " (use --force to replace it)" : ""));
        return kExitSomeFailed;
    }
    ctx.out << target << ": " << stretch.count << " samples per channel at " << SegmentEvenRate(rate)
            << " Hz, duration " << MachineNumber(stretch.duration) << " s, from "
            << MachineNumber(time[stretch.first]) << " s of " << path << '\n';
    return kExitOk;
}

}   // namespace

const CliCommand& CutCommand()
{
    static const CliCommand command{"cut", kCutHelp, {"--from", "--to", "-o"}, {"--force"}, RunCut};
    return command;
}
