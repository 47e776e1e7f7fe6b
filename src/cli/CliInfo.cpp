// sonorix-cli info: what a raw recording's stamps and records, or a segment's header, say.
#include "CliContext.h"

#include "RawRecord.h"
#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <vector>

namespace {

const char kInfoHelp[] =
    "Usage: sonorix-cli info [--json] [constants] FILE...\n"
    "One line per file. For a raw recording (*.dat): start and end stamps (day hh:mm:ss), the\n"
    "duration, the rate in records per second, the record count ((size - 4) / 16) and the count\n"
    "of record slots that are not good records (damage the reader skips). For a segment\n"
    "(*.kvnb): the rate as stored and as used (even), the duration, the samples per channel and\n"
    "the six sensitivities in mV/Pa. A stamp that cannot be a time is shown as unreadable; when\n"
    "the stamps cannot give the duration, the reader assumes 40590 records per second, and the\n"
    "duration and rate are marked as estimates (\"duration_estimated\", \"rate_estimated\").\n"
    "Of a segment only the header is read.\n"
    "  --json    one JSON array with an object per file instead of the lines\n"
    "The channel order and NULL_ADC (see constants) do not change what info reports.\n";

std::string twoDigits(unsigned v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02u", v);
    return buffer;
}

// A stamp the recorder could have written: day 0..31, hh:mm:ss of a day.
bool stampReadable(const std::string& b)
{
    const auto byte = [&](int i) { return static_cast<unsigned char>(b[i]); };
    return byte(0) <= 31 && byte(1) <= 23 && byte(2) <= 59 && byte(3) <= 59;
}

std::string stampText(const std::string& b)
{
    return std::to_string(static_cast<unsigned char>(b[0])) + " " +
           twoDigits(static_cast<unsigned char>(b[1])) + ":" + twoDigits(static_cast<unsigned char>(b[2])) +
           ":" + twoDigits(static_cast<unsigned char>(b[3]));
}

bool infoRaw(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    TReadIshFile reader(path, ctx.settings);
    uint16_t h = 0, m = 0, s = 0;
    uint32_t rate = 0;
    if (!OpenRecording(ctx, path, reader, h, m, s, rate))
        return false;
    const int64_t size = reader.FileSize();
    const std::optional<std::string> start = ReadBytesAt(path, 0, 4);
    const std::optional<std::string> end = ReadBytesAt(path, -4, 4, true);
    if (!start || !end) {
        ctx.fail(path, "cannot read the stamps");
        return false;
    }
    const int64_t records = (size - 4) / 16;

    // Count the good records by reading the whole recording through the reader, so damage is
    // judged exactly as playback judges it. Its end-of-file errors are expected here.
    ctx.presenter.setMuted(true);
    int64_t good = 0;
    {
        const int chunk = static_cast<int>(std::clamp<uint32_t>(rate, 1, 1u << 20));
        std::vector<double> time(chunk);
        std::array<std::vector<double>, 6> channels;
        std::array<double*, 6> pointers{};
        for (int c = 0; c < 6; ++c) {
            channels[c].resize(chunk);
            pointers[c] = channels[c].data();
        }
        while (true) {
            const int64_t remaining = (size - 4 - reader.Position()) / 16;
            if (remaining <= 0)
                break;
            // Large reads while the end is far; record by record near it, so damage close to
            // the end cannot make a large read fail and lose its count.
            const int count = remaining > 64 ? static_cast<int>(std::min<int64_t>(chunk, remaining / 2)) : 1;
            if (reader.ReadFrame(1, count, time.data(), pointers, 0) != 0)
                break;
            good += count;
        }
    }
    ctx.presenter.setMuted(false);
    reader.Close();
    const int64_t damaged = std::max<int64_t>(0, records - good);
    const uint32_t duration = uint32_t(h) * 3600 + uint32_t(m) * 60 + s;
    // The reader falls back to kRawFallbackRate records per second when the stamps cannot
    // give the duration (one unreadable, or more than a day apart); duration and rate are
    // then estimates, and say so.
    const bool startOk = stampReadable(*start);
    const bool endOk = stampReadable(*end);
    const int dayStep = static_cast<unsigned char>((*end)[0]) - static_cast<unsigned char>((*start)[0]);
    const bool stampsUsable = startOk && endOk && (dayStep == 0 || dayStep == 1);
    const bool estimated = !stampsUsable;

    line = path + ": raw recording, start " + (startOk ? stampText(*start) : std::string("unreadable")) +
           ", end " + (endOk ? stampText(*end) : std::string("unreadable")) +
           (startOk && endOk && !stampsUsable ? " (the stamps disagree)" : "") + ", duration " +
           std::to_string(duration) + " s (" + std::to_string(h) + ":" + twoDigits(m) + ":" + twoDigits(s) +
           (estimated ? ", estimated from the record count: the stamps are unusable" : "") + "), rate " +
           std::to_string(rate) + " Hz" + (estimated ? " (estimated)" : "") + ", " + std::to_string(records) +
           " records, " + std::to_string(damaged) + " damaged";
    auto stampJson = [](const std::string& b) {
        if (!stampReadable(b))
            return std::string("null");
        return JsonObject()
            .raw("day", std::to_string(static_cast<unsigned char>(b[0])))
            .raw("hour", std::to_string(static_cast<unsigned char>(b[1])))
            .raw("minute", std::to_string(static_cast<unsigned char>(b[2])))
            .raw("second", std::to_string(static_cast<unsigned char>(b[3])))
            .text();
    };
    json = JsonObject()
               .string("file", path)
               .string("type", "raw")
               .raw("start", stampJson(*start))
               .raw("end", stampJson(*end))
               .boolean("stamps_usable", stampsUsable)
               .raw("duration_s", std::to_string(duration))
               .boolean("duration_estimated", estimated)
               .raw("rate", std::to_string(rate))
               .boolean("rate_estimated", estimated)
               .raw("records", std::to_string(records))
               .raw("damaged_records", std::to_string(damaged))
               .text();
    return true;
}

// Reads the header alone: info must answer for a segment far larger than memory.
bool infoSegment(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    const int before = ctx.presenter.messageCount();
    ctx.presenter.setSystemAction("cannot read");
    TReadWriteMyFile file(path);
    uint32_t storedRate = 0;
    double duration = 0.0;
    const bool failed = file.OpenForReading() || file.ReadHeader(storedRate, duration);
    file.Close();
    const std::optional<std::string> header =
        failed ? std::nullopt : ReadBytesAt(path, 0, static_cast<size_t>(kSegmentHeaderBytes));
    if (!header) {
        if (ctx.presenter.messageCount() == before)
            ctx.fail(path, "cannot read the header");
        return false;
    }
    const uint32_t evenRate = SegmentEvenRate(storedRate);
    const int64_t samples = SegmentSampleCount(evenRate, duration);
    // Little-endian on disk; this program builds for little-endian machines only.
    std::array<double, 6> sensitivities{};
    std::copy_n(header->data() + 12, 48, reinterpret_cast<char*>(sensitivities.data()));

    std::string sensText, sensJson;
    for (int c = 0; c < 6; ++c) {
        sensText += (c ? "," : "") + MachineNumber(sensitivities[c]);
        sensJson += (c ? ", " : "") + JsonNumber(sensitivities[c]);
    }
    line = path + ": segment, rate " + std::to_string(storedRate) + " Hz (used " + std::to_string(evenRate) +
           "), duration " + MachineNumber(duration) + " s, " + std::to_string(samples) +
           " samples per channel, sensitivities " + sensText + " mV/Pa";
    json = JsonObject()
               .string("file", path)
               .string("type", "segment")
               .raw("rate", std::to_string(storedRate))
               .raw("even_rate", std::to_string(evenRate))
               .number("duration_s", duration)
               .raw("samples", std::to_string(samples))
               .raw("sensitivities", "[" + sensJson + "]")
               .text();
    return true;
}

int RunInfo(const Context& ctx, const ParsedArgs& args)
{
    const bool json = args.has("--json");
    std::vector<std::string> objects;
    bool anyFailed = false;
    for (size_t i = 0; i < args.positional.size(); ++i) {
        const std::string& path = args.positional[i];
        ctx.showProgress(i, args.positional.size(), path);
        ctx.presenter.setFile(path);
        std::string line, object;
        const std::string ext = LowerExtension(path);
        bool ok = false;
        const std::string problem = ext == ".dat" || ext == ".kvnb" ? InputFileProblem(path) : std::string();
        if (!problem.empty())
            ctx.fail(path, problem);
        else if (ext == ".dat")
            ok = Guarded(ctx, path, [&] { return infoRaw(ctx, path, line, object); });
        else if (ext == ".kvnb")
            ok = Guarded(ctx, path, [&] { return infoSegment(ctx, path, line, object); });
        else
            ctx.fail(path, "unknown file type (expected *.dat or *.kvnb)");
        ctx.presenter.setFile({});
        if (!ok) {
            anyFailed = true;
            continue;
        }
        if (json)
            objects.push_back(object);
        else
            ctx.out << line << '\n';
    }
    ctx.endProgress();
    if (json)
        WriteJsonArray(ctx.out, objects);
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

const CliCommand& InfoCommand()
{
    static const CliCommand command{"info", kInfoHelp, {}, {"--json"}, RunInfo};
    return command;
}
