// info: what a raw recording or a segment holds, read the way playback and the processing
// window read it.
#include "CliAudio.h"
#include "CliContext.h"
#include "CliJson.h"

#include "ReadIshFile.h"
#include "ReadWriteMyFile.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <array>
#include <cstdio>

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

const char kInfoAudioHelp[] =
    "For an audio file (*.wav, *.w64, *.rf64, *.flac, *.caf, *.aif, *.aiff, or any file the audio\n"
    "library recognises): its format, channels, rate, frames per channel and duration; only the\n"
    "header is read. A file with fewer than six channels is refused with its channel count.\n";

std::string twoDigits(unsigned v)
{
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02u", v);
    return buffer;
}

// The four bytes of a stamp: day, hour, minute, second.
unsigned stampByte(const std::string& b, int i)
{
    return static_cast<unsigned char>(b[i]);
}

// A stamp the recorder could have written: day 0..31, hh:mm:ss of a day.
bool stampReadable(const std::string& b)
{
    return stampByte(b, 0) <= 31 && stampByte(b, 1) <= 23 && stampByte(b, 2) <= 59 && stampByte(b, 3) <= 59;
}

std::string stampText(const std::string& b)
{
    if (!stampReadable(b))
        return "unreadable";
    return std::to_string(stampByte(b, 0)) + " " + twoDigits(stampByte(b, 1)) + ":" +
           twoDigits(stampByte(b, 2)) + ":" + twoDigits(stampByte(b, 3));
}

std::string stampJson(const std::string& b)
{
    if (!stampReadable(b))
        return "null";
    return JsonObject()
        .integer("day", stampByte(b, 0))
        .integer("hour", stampByte(b, 1))
        .integer("minute", stampByte(b, 2))
        .integer("second", stampByte(b, 3))
        .text();
}

// What info reports of a raw recording.
struct RawInfo {
    std::string start, end;   // the stamps as stored
    uint16_t h = 0, m = 0, s = 0;
    uint32_t rate = 0;
    int64_t records = 0;
    int64_t damaged = 0;

    uint32_t duration() const { return uint32_t(h) * 3600 + uint32_t(m) * 60 + s; }
    // The reader falls back to kRawFallbackRate records per second when the stamps cannot give
    // the duration (one unreadable, or more than a day apart); duration and rate are then
    // estimates, and say so.
    bool stampsUsable() const
    {
        const int dayStep = static_cast<int>(stampByte(end, 0)) - static_cast<int>(stampByte(start, 0));
        return stampReadable(start) && stampReadable(end) && (dayStep == 0 || dayStep == 1);
    }
};

// Counts the good records by reading the whole recording through the reader, so damage is
// judged exactly as playback judges it. Its end-of-file errors are expected here.
int64_t countGoodRecords(const Context& ctx, TReadIshFile& reader, int64_t size, uint32_t rate)
{
    ctx.presenter.setMuted(true);
    int64_t good = 0;
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
        // Large reads while the end is far; record by record near it, so damage close to the
        // end cannot make a large read fail and lose its count.
        const int count = remaining > 64 ? static_cast<int>(std::min<int64_t>(chunk, remaining / 2)) : 1;
        if (reader.ReadFrame(1, count, time.data(), pointers, 0) != 0)
            break;
        good += count;
    }
    ctx.presenter.setMuted(false);
    return good;
}

std::string rawLine(const std::string& path, const RawInfo& info)
{
    const bool usable = info.stampsUsable();
    const bool bothReadable = stampReadable(info.start) && stampReadable(info.end);
    return path + ": raw recording, start " + stampText(info.start) + ", end " + stampText(info.end) +
           (bothReadable && !usable ? " (the stamps disagree)" : "") + ", duration " +
           std::to_string(info.duration()) + " s (" + std::to_string(info.h) + ":" + twoDigits(info.m) + ":" +
           twoDigits(info.s) + (usable ? "" : ", estimated from the record count: the stamps are unusable") +
           "), rate " + std::to_string(info.rate) + " Hz" + (usable ? "" : " (estimated)") + ", " +
           std::to_string(info.records) + " records, " + std::to_string(info.damaged) + " damaged";
}

std::string rawJson(const std::string& path, const RawInfo& info)
{
    const bool usable = info.stampsUsable();
    return JsonObject()
        .string("file", path)
        .string("type", "raw")
        .raw("start", stampJson(info.start))
        .raw("end", stampJson(info.end))
        .boolean("stamps_usable", usable)
        .integer("duration_s", info.duration())
        .boolean("duration_estimated", !usable)
        .integer("rate", info.rate)
        .boolean("rate_estimated", !usable)
        .integer("records", info.records)
        .integer("damaged_records", info.damaged)
        .text();
}

bool infoRaw(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    TReadIshFile reader(path, ctx.settings);
    RawInfo info;
    if (!OpenRecording(ctx, path, reader, info.h, info.m, info.s, info.rate))
        return false;
    const int64_t size = reader.FileSize();
    const std::optional<std::string> start = ReadBytesAt(path, 0, 4);
    const std::optional<std::string> end = ReadBytesAt(path, -4, 4, true);
    if (!start || !end) {
        ctx.fail(path, "cannot read the stamps");
        return false;
    }
    info.start = *start;
    info.end = *end;
    info.records = (size - 4) / 16;
    info.damaged = std::max<int64_t>(0, info.records - countGoodRecords(ctx, reader, size, info.rate));
    reader.Close();
    line = rawLine(path, info);
    json = rawJson(path, info);
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

    std::string sensText;
    std::vector<std::string> sensJson;
    for (int c = 0; c < 6; ++c) {
        sensText += (c ? "," : "") + MachineNumber(sensitivities[c]);
        sensJson.push_back(JsonNumber(sensitivities[c]));
    }
    line = path + ": segment, rate " + std::to_string(storedRate) + " Hz (used " + std::to_string(evenRate) +
           "), duration " + MachineNumber(duration) + " s, " + std::to_string(samples) +
           " samples per channel, sensitivities " + sensText + " mV/Pa";
    json = JsonObject()
               .string("file", path)
               .string("type", "segment")
               .integer("rate", storedRate)
               .integer("even_rate", evenRate)
               .number("duration_s", duration)
               .integer("samples", samples)
               .raw("sensitivities", JsonArray(sensJson))
               .text();
    return true;
}

bool infoAudio(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        ctx.fail(path, problem);
        return false;
    }
    AudioFileInfo info;
    if (const AudioResult opened = ReadAudioInfo(path, info); !opened.ok()) {
        // The library's messages name the file themselves.
        ctx.fail("", opened.message);
        return false;
    }
    const double duration = info.sampleRate > 0 ? static_cast<double>(info.frames) / info.sampleRate : 0.0;
    line = path + ": audio, " + info.formatText + ", " + std::to_string(info.channels) + " channels, rate " +
           std::to_string(info.sampleRate) + " Hz, " + std::to_string(info.frames) + " frames, duration " +
           MachineNumber(duration) + " s";
    json = JsonObject()
               .string("file", path)
               .string("type", "audio")
               .string("format", info.formatText)
               .integer("channels", info.channels)
               .integer("rate", info.sampleRate)
               .integer("frames", info.frames)
               .number("duration_s", duration)
               .text();
    return true;
}

// One file's line and JSON object; false after the reason is on the error stream.
bool infoFile(const Context& ctx, const std::string& path, std::string& line, std::string& json)
{
    const std::string ext = LowerExtension(path);
    if (ext != ".dat" && ext != ".kvnb" && IsAudioInput(path))
        return Guarded(ctx, path, [&] { return infoAudio(ctx, path, line, json); });
    if (ext != ".dat" && ext != ".kvnb") {
        ctx.fail(path, "unknown file type (expected *.dat or *.kvnb)");
        return false;
    }
    if (const std::string problem = InputFileProblem(path); !problem.empty()) {
        ctx.fail(path, problem);
        return false;
    }
    if (ext == ".dat")
        return Guarded(ctx, path, [&] { return infoRaw(ctx, path, line, json); });
    return Guarded(ctx, path, [&] { return infoSegment(ctx, path, line, json); });
}

class InfoCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kInfoHelp) + kInfoAudioHelp;
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine&) override { AddFlagOption(app, "--json", json_); }
    std::string usageProblem(const CommandLine& line) const override
    {
        return line.files.empty() ? "no files given" : std::string();
    }
    int run(const Context& ctx, const CommandLine& line) override;

private:
    bool json_ = false;
};

int InfoCommand::run(const Context& ctx, const CommandLine& line)
{
    std::vector<std::string> objects;
    bool anyFailed = false;
    for (size_t i = 0; i < line.files.size(); ++i) {
        const std::string& path = line.files[i];
        ctx.showProgress(i, line.files.size(), path);
        ctx.presenter.setFile(path);
        std::string text, object;
        const bool ok = infoFile(ctx, path, text, object);
        ctx.presenter.setFile({});
        if (!ok)
            anyFailed = true;
        else if (json_)
            objects.push_back(object);
        else
            ctx.out << text << '\n';
    }
    ctx.endProgress();
    if (json_)
        ctx.out << JsonDocument(objects);
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeInfoCommand()
{
    return std::make_unique<InfoCommand>();
}
