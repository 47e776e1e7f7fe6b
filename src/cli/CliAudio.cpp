#include "CliAudio.h"

#include "PlaybackFrame.h"
#include "ProcessingData.h"

#include <CLI/CLI.hpp>

#include <array>
#include <climits>
#include <cmath>
#include <set>

void AddAudioOptions(CLI::App& app, AudioOptions& options, bool withStretch)
{
    AddValueOption(app, "--channels", options.channels);
    AddValueOption(app, "--full-scale", options.fullScale);
    if (withStretch) {
        AddValueOption(app, "--from", options.from);
        AddValueOption(app, "--to", options.to);
    }
}

std::string AudioOptionsHelp(bool withStretch)
{
    std::string text =
        "Audio files (*.wav, *.w64, *.rf64, *.flac, *.caf, *.aif, *.aiff, or any file the audio\n"
        "library recognises) hold at least six channels; their samples become pascals through each\n"
        "microphone's sensitivity (--sens, the settings) as the window's \"Паскали\" makes them:\n"
        "  --channels A,B,C,D,E,F  the file's channels (1-based) of microphones 1..6; default 1..6\n";
    if (withStretch)
        text += "  --from S, --to S        only this stretch of the file is read, seconds (12.5, 1:02.5 or\n"
                "                          0:01:02.500); default the whole file\n";
    return text + "  --full-scale V          volts a sample at full scale stands for; default 1\n";
}

namespace {

const std::set<std::string> kAudioExtensions = {".wav", ".w64", ".rf64", ".flac", ".caf", ".aif", ".aiff"};

std::optional<AudioChannelMap> channelMapFromOption(const std::string& text)
{
    const std::optional<std::vector<double>> numbers = ParseNumberList(text, 6);
    if (!numbers)
        return std::nullopt;
    AudioChannelMap map{};
    std::set<int> seen;
    for (size_t m = 0; m < map.size(); ++m) {
        const double channel = (*numbers)[m];
        if (!(channel >= 1 && channel <= 1024 && channel == std::floor(channel)))
            return std::nullopt;
        map[m] = static_cast<int>(channel) - 1;
        if (!seen.insert(map[m]).second)
            return std::nullopt;
    }
    return map;
}

// The frame of a time: the nearest, so a stretch given in whole samples' times is read exactly.
int64_t frameAt(double seconds, int rate)
{
    return static_cast<int64_t>(std::llround(seconds * rate));
}

}   // namespace

std::string MakeAudioPlan(const AudioOptions& options, AudioPlan& plan)
{
    plan = AudioPlan{};
    plan.given = options.channels || options.fullScale || options.from || options.to;
    if (options.channels) {
        const std::optional<AudioChannelMap> map = channelMapFromOption(*options.channels);
        if (!map)
            return "--channels: нужны шесть разных номеров каналов файла через запятую (1, 2, 3, ...), "
                   "получено \"" +
                   *options.channels + "\"";
        plan.map = *map;
    }
    if (options.fullScale) {
        const std::optional<double> volts = ParseNumber(*options.fullScale);
        if (!volts || !(*volts > 0))
            return "--full-scale: нужно положительное число вольт, получено \"" + *options.fullScale + "\"";
        plan.fullScale = *volts;
    }
    if (options.from) {
        const std::optional<double> from = ParseTime(*options.from);
        if (!from)
            return "--from: нужно время (с, м:с или ч:м:с), получено \"" + *options.from + "\"";
        plan.from = *from;
    }
    if (options.to) {
        const std::optional<double> to = ParseTime(*options.to);
        if (!to || !(*to > plan.from))
            return "--to: нужно время (с, м:с или ч:м:с) позже --from, получено \"" + *options.to + "\"";
        plan.to = *to;
    }
    return {};
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

bool LoadAudioVolts(const Context& ctx, const std::string& path, const AudioPlan& plan, Segment& segment)
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
    const int64_t start = frameAt(plan.from, info.sampleRate);
    if (start >= info.frames) {
        ctx.fail(path, "--from " + MachineNumber(plan.from) + " с лежит за концом записи (" +
                           MachineNumber(duration) + " с)");
        return false;
    }
    if (plan.to && frameAt(*plan.to, info.sampleRate) > info.frames) {
        ctx.fail(path, "--to " + MachineNumber(*plan.to) + " с лежит за концом записи (" +
                           MachineNumber(duration) + " с)");
        return false;
    }
    const int64_t end = plan.to ? frameAt(*plan.to, info.sampleRate) : info.frames;
    const int64_t n = AudioStretchFrames(info, start, end - start);
    if (n < 1) {
        ctx.fail(path, "в выбранном участке записи нет ни одного отсчета");
        return false;
    }
    // The same check as for a segment: the stretch, its spectra and the intensity routine's work
    // arrays are about 40 arrays of N doubles at the peak.
    const int64_t need = 40 * 8 * n;
    const int64_t available = AvailableMemoryBytes();
    if (n > INT32_MAX || (available >= 0 && need > available)) {
        ctx.fail(path, MemoryRefusalText(n, need, available));
        return false;
    }
    if (const AudioResult read = ReadAudioStretch(path, plan.map, start, n, plan.fullScale, segment);
        !read.ok()) {
        ctx.fail(path, read.message);
        return false;
    }
    const std::array<double, 6> sensitivities = ChannelSensitivities(ctx.settings);
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

bool LoadAnalysisInput(const Context& ctx, const std::string& path, const AudioPlan& plan, Segment& segment,
                       bool& pascals)
{
    pascals = IsAudioInput(path);
    if (!pascals) {
        // Said, so that a stretch asked for is never taken for the one analysed.
        if (plan.given && LowerExtension(path) == ".kvnb")
            ctx.fail(path, "предупреждение: --channels, --from, --to и --full-scale относятся только к "
                           "звукозаписям; сегмент прочитан целиком");
        return LoadSegment(ctx, path, segment);
    }
    if (!LoadAudioVolts(ctx, path, plan, segment))
        return false;
    ConvertVoltsToPascals(segment);
    return true;
}
