// sonorix-cli spectra: the processing window's six amplitude spectra of a segment, as CSV.
#include "CliContext.h"

#include "ProcessingData.h"
#include "Spectra.h"

#include <QString>

#include <array>
#include <vector>

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

int RunSpectra(const Context& ctx, const ParsedArgs& args)
{
    if (args.positional.size() != 1 || !args.value("-o")) {
        ctx.fail("", "spectra needs one segment and -o FILE.csv (see spectra --help)");
        return kExitUsage;
    }
    bool bad = false;
    const std::optional<int> signal = SignalFromOption(args, ctx, bad);
    const std::optional<int> window = WindowFromOption(args, ctx, bad);
    if (bad)
        return kExitUsage;
    if (signal)
        ctx.settings.impuls = *signal;
    const std::string& path = args.positional[0];
    if (const std::string problem = OutputTargetProblem(*args.value("-o"), args.has("--force"));
        !problem.empty()) {
        ctx.fail(*args.value("-o"), problem);
        return kExitSomeFailed;
    }
    ctx.presenter.setFile(path);
    Segment segment;
    if (!LoadSegment(ctx, path, segment))
        return kExitSomeFailed;
    ctx.presenter.setFile({});
    const int n = segment.sampleCount;
    const int bins = n / 2;
    if (bins < 1) {
        ctx.fail(path, "too few samples for a spectrum");
        return kExitSomeFailed;
    }
    std::array<std::vector<double>, 6> spectra;
    const double* channels[6];
    double* outputs[6];
    for (int c = 0; c < 6; ++c) {
        spectra[c].assign(static_cast<size_t>(bins), 0.0);
        channels[c] = segment.channels[c].data();
        outputs[c] = spectra[c].data();
    }
    if (ComputeAmplitudeSpectra(n, *window, ctx.settings.impuls == 1, segment.time[n - 1], channels, outputs))
        ctx.fail(path, "warning: the spectral window reported a failure");
    // Pascals as the processing window shows them; dB against the same factors.
    const std::array<double, 6> factors =
        DisplayFactors(kUnitPascal, false, ctx.settings.VOLT, segment.paPerVolt);
    const bool db = args.has("--db");
    const double df = 1.0 / segment.time[n - 1];
    const QString sep = ctx.localeForm ? QStringLiteral(";") : QStringLiteral(",");
    QStringList lines;
    QString header = ctx.localeForm ? QStringLiteral("F(Гц)") : QStringLiteral("f_Hz");
    for (int c = 1; c <= 6; ++c)
        header += sep + (ctx.localeForm ? QStringLiteral("Канал %1").arg(c)
                                        : QStringLiteral("ch%1_%2").arg(c).arg(db ? "dB" : "Pa"));
    lines << header + (ctx.localeForm ? sep : QString());
    for (int k = 0; k < bins; ++k) {
        const auto number = [&](double v) {
            return ctx.localeForm ? LocaleNumber(v) : QString::fromStdString(MachineNumber(v));
        };
        QString line = number(k * df);
        for (int c = 0; c < 6; ++c) {
            const double v = db ? DbValue(spectra[c][k], factors[c]) : spectra[c][k] * factors[c];
            line += sep + number(v);
        }
        lines << line + (ctx.localeForm ? sep : QString());
    }
    const std::string error =
        WriteOutputFile(*args.value("-o"), EncodeLines(lines, ctx.localeForm), args.has("--force"));
    if (!error.empty()) {
        ctx.fail("", error);
        return kExitSomeFailed;
    }
    return kExitOk;
}

}   // namespace

const CliCommand& SpectraCommand()
{
    static const CliCommand command{
        "spectra", kSpectraHelp, {"-o", "--window", "--signal"}, {"--db", "--locale", "--force"}, RunSpectra};
    return command;
}
