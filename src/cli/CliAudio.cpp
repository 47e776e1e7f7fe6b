#include "CliAudio.h"

#include "CliJson.h"

#include "PlaybackFrame.h"
#include "ProcessingData.h"
#include "SettingLimits.h"

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
        if (!volts || !IsValidFullScale(*volts))
            return "--full-scale: нужно число вольт от " + MachineNumber(setting_limits::kFullScaleMin) +
                   " до " + MachineNumber(setting_limits::kFullScaleMax) + ", получено \"" +
                   *options.fullScale + "\"";
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

namespace {

// The refusals of a read on the error stream, as every command says them.
PointFailure failTo(const Context& ctx)
{
    return [&ctx](const std::string& file, const std::string& text) { ctx.fail(file, text); };
}

}   // namespace

bool LoadRecording(const Context& ctx, const std::string& path, const AudioPlan& plan, Recording& out)
{
    const int before = ctx.presenter.messageCount();
    ctx.presenter.setSystemAction("cannot read");
    const InputRead read = OpenRecording(path, ctx.settings, plan, ctx.pascalRequest(), failTo(ctx), out);
    if (read == InputRead::ReaderFailed && ctx.presenter.messageCount() == before)
        ctx.fail(path, "cannot read the segment");
    return read == InputRead::Ok;
}

std::string JsonPascals(const RecordingScale& scale)
{
    std::vector<std::string> channels;
    for (size_t k = 0; k < scale.pascalPerUnit.size(); ++k)
        channels.push_back(JsonObject()
                               .number("factor", scale.pascalPerUnit[k])
                               .string("source", PascalSourceName(scale.pascalSource[k]))
                               .text());
    return JsonArray(channels);
}
