// spectra: the six amplitude spectra of a segment, as the processing window's spectrum command
// computes and shows them.
#include "CliAudio.h"
#include "CliContext.h"
#include "FrequencyAxis.h"

#include "Intensity.h"
#include "ProcessingData.h"
#include "ResultText.h"
#include "Spectra.h"

#include <CLI/CLI.hpp>

#include <array>

namespace {

const char kSpectraHelp[] =
    "Usage: sonorix-cli spectra SEG.kvnb -o FILE.csv [--window NAME] [--signal impulse|periodic]\n"
    "                           [--db] [--locale[=NAME]] [--force] [constants]\n"
    "The six one-sided amplitude spectra of the processing window's spectrum command, in\n"
    "pascals (VOLT x 1000 / sensitivity per channel), one row per frequency bin.\n"
    "  --window NAME   spectral window of a periodic signal (an impulse is never weighted):\n"
    "                  %WINDOWS%; default: the processing window's last choice\n"
    "  --signal KIND   impulse or periodic; default: the stored signal type\n"
    "  --db            the window's dB values instead of pascals\n"
    "  --locale[=NAME] the program's own CSV form: \";\" between fields, the decimal separator of\n"
    "                  the user's locale (or of NAME, e.g. ru_RU), numbers with 7 significant\n"
    "                  digits, CR LF, Windows-1251\n"
    "  --force         replace FILE.csv if it exists\n"
    "Default CSV: \",\" between fields, \".\" as the decimal separator, UTF-8, LF.\n";

using Spectra = std::array<std::vector<double>, 6>;

// The raw amplitude spectra of the six channels, bins = n / 2 values each.
void amplitudeSpectra(const Context& ctx, const std::string& path, const Segment& segment, int window,
                      Spectra& spectra)
{
    const int n = segment.sampleCount;
    const double* channels[6];
    double* outputs[6];
    for (int c = 0; c < 6; ++c) {
        spectra[c].assign(static_cast<size_t>(n / 2), 0.0);
        channels[c] = segment.channels[c].data();
        outputs[c] = spectra[c].data();
    }
    if (ComputeAmplitudeSpectra(n, window, ctx.settings.impuls == Settings::kImpulsPeriodic,
                                segment.time[n - 1], channels, outputs))
        ctx.fail(path, "warning: the spectral window reported a failure");
}

// Pascals as the processing window shows them; dB against the same factors. Samples already in
// pascals (an audio file's) take factor 1, and for dB the factor of one ADC step, which DbValue
// divides out again, so their dB are those of the pascals re 20 µPa.
QStringList spectraLines(const Context& ctx, const Segment& segment, const Spectra& spectra, bool db,
                         bool pascals)
{
    const int n = segment.sampleCount;
    std::array<double, 6> factors = DisplayFactors(kUnitPascal, false, ctx.settings.VOLT, segment.paPerVolt);
    if (pascals)
        factors.fill(db ? kFilePascalPerStep : 1.0);
    const double df = SpectrumBinWidth(segment.time.data(), n);
    const QString sep = ctx.localeForm ? QStringLiteral(";") : QStringLiteral(",");
    const QString end = ctx.localeForm ? sep : QString();
    QStringList lines;
    QString header = ctx.localeForm ? QStringLiteral("F(Гц)") : QStringLiteral("f_Hz");
    for (int c = 1; c <= 6; ++c)
        header += sep + (ctx.localeForm ? QStringLiteral("Канал %1").arg(c)
                                        : QStringLiteral("ch%1_%2").arg(c).arg(db ? "dB" : "Pa"));
    lines << header + end;
    for (int k = 0; k < n / 2; ++k) {
        QString line = OutputNumber(ctx, k * df);
        for (int c = 0; c < 6; ++c)
            line +=
                sep + OutputNumber(ctx, db ? DbValue(spectra[c][k], factors[c]) : spectra[c][k] * factors[c]);
        lines << line + end;
    }
    return lines;
}

class SpectraCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kSpectraHelp) + AudioOptionsHelp(true);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine& line) override
    {
        AddValueOption(app, "-o", target_);
        AddValueOption(app, "--window", window_);
        AddValueOption(app, "--signal", signal_);
        AddFlagOption(app, "--db", db_);
        AddFlagOption(app, "--force", force_);
        AddLocaleOption(app, line.locale);
        AddAudioOptions(app, audioOptions_, true);
    }
    int run(const Context& ctx, const CommandLine& line) override;

private:
    AudioOptions audioOptions_;
    std::optional<std::string> target_, window_, signal_;
    bool db_ = false;
    bool force_ = false;
};

int SpectraCommand::run(const Context& ctx, const CommandLine& line)
{
    if (line.files.size() != 1 || !target_) {
        ctx.fail("", "spectra needs one segment and -o FILE.csv (see spectra --help)");
        return kExitUsage;
    }
    bool bad = false;
    const std::optional<int> signal = SignalFromOption(ctx, signal_, bad);
    const std::optional<int> window = WindowFromOption(ctx, window_, bad);
    AudioPlan audio;
    if (const std::string error = MakeAudioPlan(audioOptions_, audio); !error.empty()) {
        ctx.fail("", error);
        bad = true;
    }
    if (bad)
        return kExitUsage;
    if (signal)
        ctx.settings.impuls = *signal;
    const std::string& path = line.files[0];
    if (const std::string problem = SameFileProblem(*target_, {path}); !problem.empty()) {
        ctx.fail(*target_, problem);
        return kExitUsage;
    }
    if (const std::string problem = OutputTargetProblem(*target_, force_); !problem.empty()) {
        ctx.fail(*target_, problem);
        return kExitSomeFailed;
    }
    ctx.presenter.setFile(path);
    Recording recording;
    if (!LoadRecording(ctx, path, audio, recording))
        return kExitSomeFailed;
    Segment& segment = recording.samples;
    // An audio file's volts are shown as the pascals of each microphone's sensitivity.
    const bool pascals = recording.scale.kind == RecordingKind::Audio;
    if (pascals)
        for (size_t m = 0; m < 6; ++m)
            for (double& sample : segment.channels[m])
                sample *= recording.scale.voltsPerUnit * segment.paPerVolt[m];
    ctx.presenter.setFile({});
    if (segment.sampleCount / 2 < 1) {
        ctx.fail(path, "too few samples for a spectrum");
        return kExitSomeFailed;
    }
    Spectra spectra;
    amplitudeSpectra(ctx, path, segment, *window, spectra);
    const QStringList lines = spectraLines(ctx, segment, spectra, db_, pascals);
    if (const std::string error = WriteOutputFile(*target_, EncodeLines(lines, ctx.localeForm), force_);
        !error.empty()) {
        ctx.fail("", error);
        return kExitSomeFailed;
    }
    return kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeSpectraCommand()
{
    return std::make_unique<SpectraCommand>();
}
