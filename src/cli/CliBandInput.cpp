#include "CliBandInput.h"

#include "CliIntensity.h"
#include "Windows.h"

#include <CLI/CLI.hpp>

namespace {

std::optional<FrequencyRange> rangeFromOption(const std::string& text)
{
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto lo = ParseNumber(text.substr(0, colon));
    const auto hi = ParseNumber(text.substr(colon + 1));
    if (!lo || !hi || *lo < 0.0 || *hi < *lo)
        return std::nullopt;
    return FrequencyRange{true, *lo, *hi};
}

}   // namespace

void AddBandInputOptions(CLI::App& app, BandInputOptions& options)
{
    AddValueOption(app, "--signal", options.signal);
    AddValueOption(app, "--window", options.window);
    AddValueOption(app, "--band", options.band);
    AddValueOption(app, "--fraction", options.fraction);
    AddValueOption(app, "--residual-index", options.residualIndex);
    AddFlagOption(app, "--fd-correction", options.fdCorrection);
    AddAudioOptions(app, options.audio, true);
}

bool ReadBandInputOptions(const Context& ctx, const BandInputOptions& given, BandInputPlan& plan)
{
    bool bad = false;
    plan.signal = SignalFromOption(ctx, given.signal, bad);
    const std::optional<int> window = WindowFromOption(ctx, given.window, bad);
    BandAnalysisOptions& o = plan.options;
    if (given.fraction) {
        if (*given.fraction == "1" || *given.fraction == "3") {
            o.fraction = std::stoi(*given.fraction);
        } else {
            ctx.fail("", "--fraction: expected 1 (octaves) or 3 (one-third octaves), got \"" +
                             *given.fraction + "\"");
            bad = true;
        }
    }
    if (given.band) {
        const std::optional<FrequencyRange> range = rangeFromOption(*given.band);
        if (!range)
            ctx.fail("", "--band: expected LO:HI in Hz with 0 <= LO <= HI, got \"" + *given.band + "\"");
        bad = bad || !range;
        o.range = range.value_or(FrequencyRange{});
    }
    if (given.residualIndex) {
        const std::optional<double> db = ParseNumber(*given.residualIndex);
        if (!db || !(*db > 0.0) || *db > 100.0)
            ctx.fail("", "--residual-index: expected the index in dB, above 0 and at most 100, got \"" +
                             *given.residualIndex + "\"");
        else
            o.residualIndexDb = *db;
        bad = bad || !o.residualIndexDb;
    }
    if (const std::string error = MakeAudioPlan(given.audio, plan.audio); !error.empty()) {
        ctx.fail("", error);
        bad = true;
    }
    if (window)
        plan.window = *window;
    return !bad;
}

void FinishBandInputPlan(const Context& ctx, const BandInputOptions& given, BandInputPlan& plan)
{
    if (plan.signal)
        ctx.settings.impuls = *plan.signal;
    BandAnalysisOptions& o = plan.options;
    o.correctFiniteDifference = given.fdCorrection;
    o.periodic = ctx.settings.impuls == Settings::kImpulsPeriodic;
    o.density = ctx.settings.plotnost;
    o.soundSpeed = ctx.settings.skorost;
    o.spacings = ctx.settings.lmic;
}

bool AnalyseBandInput(const Context& ctx, const BandInputPlan& plan, const std::string& name,
                      BandAnalysis& out, RecordingScale* pascals)
{
    ctx.presenter.setFile(name);
    Recording recording;
    std::string error;
    if (plan.demo) {
        error = MakeTestSignalRecording(ctx.settings, recording);
    } else if (!Guarded(ctx, name, [&] { return LoadRecording(ctx, name, plan.audio, recording); })) {
        ctx.presenter.setFile({});
        return false;
    }
    if (error.empty())
        error = AnalyseRecordingBands(ctx.settings, recording, plan.window, plan.options, out);
    if (error.empty() && pascals)
        *pascals = recording.scale;
    ctx.presenter.setFile({});
    if (!error.empty()) {
        ctx.fail(name, error);
        return false;
    }
    return true;
}
