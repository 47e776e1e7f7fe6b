// intensity: the band vectors of each segment (or of the test signal), one CSV row or JSON
// object per input.
#include "CliIntensity.h"

#include "CliAudio.h"
#include "CliContext.h"
#include "CliJson.h"

#include "LargeBuffer.h"
#include "ProbeLimits.h"
#include "ResultMath.h"
#include "Windows.h"

#include <CLI/CLI.hpp>

#include <array>

namespace {

const char kIntensityHelp[] =
    "Usage: sonorix-cli intensity (SEG.kvnb... | --demo [test-signal options])\n"
    "                             [--signal impulse|periodic] [--window NAME] [--band LO:HI]\n"
    "                             [--spectra-csv FILE] [--json | --locale[=NAME]] [constants]\n"
    "For each segment: the intensity spectra of the processing window, reduced over the band as\n"
    "its \"I , J\" command does (integration for an impulse, summed harmonic lines for a periodic\n"
    "signal), and the modulus and direction angles of each band vector as the calculation table\n"
    "computes them. One CSV row per file on standard output, so a survey becomes one table:\n"
    "  file,signal,window,f_lo,f_hi, then for Q in I, J, K, P:\n"
    "  Q_x,Q_y,Q_z,Q_mod,Q_angle_x,Q_angle_y,Q_angle_z\n"
    "where angle_x = atan(y / x), angle_y = 90 - angle_x, angle_z = asin(z / mod), in degrees;\n"
    "I and J in W/m^2, K and P (the potential energy density) in J/m^3. f_lo and f_hi are the\n"
    "frequencies of the first and end bin of the band. Fields are separated by \",\", the decimal\n"
    "separator is \".\".\n"
    "  --signal KIND     impulse or periodic; default: the stored signal type\n"
    "  --window NAME     spectral window of a periodic signal: %WINDOWS%;\n"
    "                    default: the processing window's last choice\n"
    "  --band LO:HI      frequency band in Hz; default: the whole spectrum\n"
    "  --spectra-csv F   also write the intensity spectra of each file (rows of the band); with\n"
    "                    several files F must contain {} for the file's base name\n"
    "  --force           replace spectra CSV files that exist\n"
    "  --json            a JSON array with an object per file instead of CSV\n"
    "  --locale[=NAME]   the program's own CSV form: \";\" between fields, the locale's decimal\n"
    "                    separator, numbers with 7 significant digits, CR LF, Windows-1251\n"
    "                    (also for --spectra-csv files)\n"
    "Where the band reaches above the frequency at which k*dr = 1 for a pair, or its strongest\n"
    "line lies below bin 20 under a window wider than Hanning, a warning goes to standard error\n"
    "(and to the \"warnings\" list of --json); the numbers and the exit code are unchanged.\n"
    "With --calibrated (or the stored setting) each channel's pascals come from its microphone's\n"
    "sensitivity, and each --json object says so: \"pressure\": \"microphone sensitivities\".\n"
    "Test signal (--demo): the stored test-signal parameters, each overridden by\n"
    "  --type sine|meander|impulse  --freq HZ  --amplitude ADC_STEPS  --fi-z DEG  --fi-x DEG\n"
    "  --noise PERCENT  --rate HZ  --duration S (whole seconds)\n"
    "within the test-signal dialog's ranges: --freq 1..10000 and below half the rate, --amplitude\n"
    "from 1 step to 1000 V, --fi-z and --fi-x 0..360, --noise 0..100, --rate 64..100000000,\n"
    "--duration 1..10.\n";

const char* const kQuantityNames[4] = {"I", "J", "K", "P"};

// What the command line asks of every input.
struct Plan {
    bool demo = false;
    int impuls = 0;
    int window = 0;
    FrequencyRange range;
    AudioPlan audio;
    std::vector<std::string> inputs;   // the files, or "demo"
};

// One input's band vectors and what the probe cannot measure well in its band.
struct Analysis {
    IntensitySpectra spectra;
    BandResult band;
    std::vector<std::string> warnings;
    RecordingScale pascals;   // how the samples became pascals
};

std::string bandError(BandStatus status, const FrequencyRange& range)
{
    switch (status) {
    case BandStatus::Ok:
        return {};
    case BandStatus::Empty:
        return range.given ? "no frequency bin lies in the band " + MachineNumber(range.lo) + " : " +
                                 MachineNumber(range.hi) + " Hz"
                           : std::string("the spectrum has no band to reduce");
    case BandStatus::Failed:
        break;
    }
    return "the band could not be integrated";
}

std::optional<FrequencyRange> bandFromOption(const std::string& band)
{
    const size_t colon = band.find(':');
    if (colon == std::string::npos)
        return std::nullopt;
    const auto lo = ParseNumber(band.substr(0, colon));
    const auto hi = ParseNumber(band.substr(colon + 1));
    if (!lo || !hi || !(*hi > *lo))
        return std::nullopt;
    return FrequencyRange{true, *lo, *hi};
}

std::string spectraCsv(const Context& ctx, const IntensitySpectra& spectra, const FrequencyRange& range)
{
    int first = 0, last = 0;
    CsvRowRange(spectra.view(), range, first, last);
    // The locale form is the processing window's file; the machine form has the same rows.
    if (ctx.localeForm)
        return EncodeLines(IntensityCsvLines(spectra.view(), first, last), true);
    QStringList lines;
    lines << QStringLiteral("f_Hz,Ix,Iy,Iz,Jx,Jy,Jz,Kx,Ky,Kz,Px,Py,Pz");
    for (int k = first; k <= last && k < spectra.bins(); ++k) {
        QString line = QString::fromStdString(MachineNumber(spectra.frequency[k]));
        for (int q = 0; q < 12; ++q)
            line += QStringLiteral(",") + QString::fromStdString(MachineNumber(spectra.values[q][k]));
        lines << line;
    }
    return EncodeLines(lines, false);
}

// The sentences on what the probe cannot measure well, one per finding: a band reaching above
// k dr = 1 for a pair, or its strongest line (largest |I|) near bin 0 under a window wider than
// Hanning's. The numbers stay as they are.
std::vector<std::string> probeLimitWarnings(const Settings& s, const Analysis& a, int impuls, int windowItem)
{
    // An impulse is never weighted; a periodic signal is, with the window of the list item.
    const double enbw = impuls == 1 ? WindowItemEnbw(windowItem, a.spectra.bins()) : 1.0;
    const ProbeLimitCheck check = CheckBandLimits(a.spectra.view(), a.band, s.lmic, s.skorost, enbw);
    std::vector<std::string> warnings;
    if (check.aboveSpacingLimit) {
        ProbeLimitCheck one = check;
        one.wideWindowNearZero = false;
        warnings.push_back(ProbeLimitTextEn(one));
    }
    if (check.wideWindowNearZero) {
        ProbeLimitCheck one = check;
        one.aboveSpacingLimit = false;
        warnings.push_back(ProbeLimitTextEn(one));
    }
    return warnings;
}

QString csvHeader(const Context& ctx)
{
    const QString sep = ctx.localeForm ? QStringLiteral(";") : QStringLiteral(",");
    QString header = ctx.localeForm ? QStringLiteral("Файл;Сигнал;Окно;F1(Гц);F2(Гц)")
                                    : QStringLiteral("file,signal,window,f_lo,f_hi");
    for (int q = 0; q < 4; ++q) {
        const QString name =
            ctx.localeForm && q == 3 ? QStringLiteral("П") : QString::fromLatin1(kQuantityNames[q]);
        for (const char* column : {"_x", "_y", "_z", "_mod", "_angle_x", "_angle_y", "_angle_z"})
            header += sep + name + QString::fromLatin1(column);
    }
    return header;
}

std::array<const std::array<double, 3>*, 4> bandVectors(const IntensityResult& r)
{
    return {&r.I, &r.J, &r.K, &r.P};
}

std::string signalName(int impuls)
{
    return impuls == 0 ? "impulse" : "periodic";
}

QString csvRow(const Context& ctx, const std::string& name, const Plan& plan, const Analysis& a)
{
    const char sepChar = ctx.localeForm ? ';' : ',';
    const QString sep = QString(QChar::fromLatin1(sepChar));
    QString row = QString::fromStdString(CsvField(name, sepChar)) + sep +
                  QString::fromStdString(signalName(plan.impuls)) + sep +
                  QString::fromStdString(WindowItemName(plan.window));
    row += sep + OutputNumber(ctx, a.band.fLo) + sep + OutputNumber(ctx, a.band.fHi);
    for (const std::array<double, 3>* v : bandVectors(a.band.result)) {
        const VectorAngles angles = ComputeVectorAngles(*v);
        for (double component : *v)
            row += sep + OutputNumber(ctx, component);
        // A zero vector has no direction: its angles are left empty.
        const bool direction = angles.modulus > 0;
        row += sep + OutputNumber(ctx, angles.modulus);
        for (double angle : {angles.alpha, 90.0 - angles.alpha, angles.beta})
            row += sep + (direction ? OutputNumber(ctx, angle) : QString());
    }
    return row;
}

std::string jsonObject(const std::string& name, const Plan& plan, const Analysis& a)
{
    const BandResult& band = a.band;
    JsonObject object;
    object.string("file", name)
        .string("signal", signalName(plan.impuls))
        .string("window", WindowItemName(plan.window))
        .raw("band", JsonArray({JsonNumber(band.fLo), JsonNumber(band.fHi)}))
        .raw("bins", JsonArray({std::to_string(band.first), std::to_string(band.end)}))
        .string("band_text", band.result.bandText);
    const auto vectors = bandVectors(band.result);
    for (int q = 0; q < 4; ++q) {
        const std::array<double, 3>& v = *vectors[q];
        const VectorAngles angles = ComputeVectorAngles(v);
        object.raw(kQuantityNames[q], JsonObject()
                                          .number("x", v[0])
                                          .number("y", v[1])
                                          .number("z", v[2])
                                          .number("modulus", angles.modulus)
                                          .raw("angle_x", JsonAngle(angles.modulus, angles.alpha))
                                          .raw("angle_y", JsonAngle(angles.modulus, 90.0 - angles.alpha))
                                          .raw("angle_z", JsonAngle(angles.modulus, angles.beta))
                                          .text());
    }
    std::vector<std::string> warnings;
    for (const std::string& warning : a.warnings)
        warnings.push_back(JsonString(warning));
    object.raw("warnings", JsonArray(warnings));
    // Said only where a microphone's sensitivity was used, so the objects of a run on the fixed
    // factor stay as they were.
    if (a.pascals.bySensitivities())
        object.string("pressure", "microphone sensitivities").raw("pascals", JsonPascals(a.pascals));
    return object.text();
}

class IntensityCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kIntensityHelp) + AudioOptionsHelp(true);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine& line) override;
    int run(const Context& ctx, const CommandLine& line) override;

private:
    bool makePlan(const Context& ctx, const CommandLine& line, Plan& plan) const;
    bool analyse(const Context& ctx, const Plan& plan, const std::string& name, Analysis& a) const;
    // --spectra-csv with the input's base name in place of "{}".
    std::string spectraCsvName(const std::string& name) const
    {
        std::string csvName = *spectraCsv_;
        if (const size_t at = csvName.find("{}"); at != std::string::npos)
            csvName.replace(at, 2, BaseName(name));
        return csvName;
    }
    std::string writeSpectra(const Context& ctx, const Plan& plan, const std::string& name,
                             const Analysis& a) const;

    std::optional<std::string> signal_, window_, band_, spectraCsv_;
    bool demo_ = false;
    bool json_ = false;
    bool force_ = false;
    DemoOptions demoOptions_;
    AudioOptions audioOptions_;
};

void IntensityCommand::addOptions(CLI::App& app, CommandLine& line)
{
    AddValueOption(app, "--signal", signal_);
    AddValueOption(app, "--window", window_);
    AddValueOption(app, "--band", band_);
    AddValueOption(app, "--spectra-csv", spectraCsv_);
    AddFlagOption(app, "--demo", demo_);
    AddFlagOption(app, "--json", json_);
    AddFlagOption(app, "--force", force_);
    AddLocaleOption(app, line.locale);
    AddDemoOptions(app, demoOptions_);
    AddAudioOptions(app, audioOptions_, true);
}

// Checks the whole command line before any input is read; false after its messages.
bool IntensityCommand::makePlan(const Context& ctx, const CommandLine& line, Plan& plan) const
{
    plan.demo = demo_;
    plan.inputs = demo_ ? std::vector<std::string>{"demo"} : line.files;
    bool bad = false;
    const std::optional<int> signal = SignalFromOption(ctx, signal_, bad);
    const std::optional<int> window = WindowFromOption(ctx, window_, bad);
    if (band_) {
        const std::optional<FrequencyRange> range = bandFromOption(*band_);
        if (!range)
            ctx.fail("", "--band: expected LO:HI in Hz with HI above LO, got \"" + *band_ + "\"");
        bad = bad || !range;
        plan.range = range.value_or(FrequencyRange{});
    }
    if (spectraCsv_ && plan.inputs.size() > 1 && spectraCsv_->find("{}") == std::string::npos) {
        ctx.fail("", "--spectra-csv: with several files the name must contain {} for each file's base name");
        bad = true;
    }
    if (const std::string error = MakeAudioPlan(audioOptions_, plan.audio); !error.empty()) {
        ctx.fail("", error);
        bad = true;
    }
    if (json_ && ctx.localeForm) {
        ctx.fail("", "--json and --locale exclude each other");
        bad = true;
    }
    if (demo_)
        if (const std::string error = ApplyDemoOptions(demoOptions_, ctx.settings); !error.empty()) {
            ctx.fail("", error);
            bad = true;
        }
    if (bad)
        return false;
    if (signal)
        ctx.settings.impuls = *signal;
    plan.impuls = ctx.settings.impuls;
    plan.window = *window;
    return true;
}

std::string IntensityCommand::writeSpectra(const Context& ctx, const Plan& plan, const std::string& name,
                                           const Analysis& a) const
{
    return WriteOutputFile(spectraCsvName(name), spectraCsv(ctx, a.spectra, plan.range), force_);
}

// One input from its samples to its band vectors; false after the reason is on the error stream.
bool IntensityCommand::analyse(const Context& ctx, const Plan& plan, const std::string& name,
                               Analysis& a) const
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
    a.pascals = recording.scale;
    if (error.empty())
        error = ComputeSegmentIntensity(IntensityConstantsOf(ctx.settings, recording.scale),
                                        recording.samples, plan.window, a.spectra);
    if (error.empty())
        error = bandError(ReduceBand(a.spectra.view(), plan.range, plan.impuls, a.band), plan.range);
    if (error.empty() && a.band.detectorFailed)
        ShowMessageBox("Ошибка", kPeakDetectorFailedText, MB_OK);
    if (error.empty() && spectraCsv_)
        error = writeSpectra(ctx, plan, name, a);
    ctx.presenter.setFile({});
    if (!error.empty()) {
        ctx.fail(name, error);
        return false;
    }
    a.warnings = probeLimitWarnings(ctx.settings, a, plan.impuls, plan.window);
    for (const std::string& warning : a.warnings)
        ctx.fail(name, "warning: " + warning);
    return true;
}

int IntensityCommand::run(const Context& ctx, const CommandLine& line)
{
    if (demo_ == !line.files.empty()) {
        ctx.fail("", "intensity needs segment files or --demo, not both (see intensity --help)");
        return kExitUsage;
    }
    Plan plan;
    if (!makePlan(ctx, line, plan))
        return kExitUsage;
    // A spectra file over an input would destroy it before its turn comes.
    if (spectraCsv_ && !plan.demo)
        for (const std::string& name : plan.inputs)
            if (const std::string problem = SameFileProblem(spectraCsvName(name), plan.inputs);
                !problem.empty()) {
                ctx.fail(spectraCsvName(name), problem);
                return kExitUsage;
            }
    QStringList csv{csvHeader(ctx)};
    std::vector<std::string> objects;
    bool anyFailed = false;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        const std::string& name = plan.inputs[i];
        ctx.showProgress(i, plan.inputs.size(), name);
        Analysis a;
        if (!analyse(ctx, plan, name, a)) {
            anyFailed = true;
            continue;
        }
        const uint64_t before = NonFiniteNumbersSeen();
        const std::string object = json_ ? jsonObject(name, plan, a) : std::string();
        const QString row = json_ ? QString() : csvRow(ctx, name, plan, a);
        if (NonFiniteNumbersSeen() != before) {
            ctx.fail(name, kNonFiniteResultText);
            anyFailed = true;
        } else if (json_) {
            objects.push_back(object);
        } else {
            csv << row;
        }
    }
    ctx.endProgress();
    ctx.out << (json_ ? JsonDocument(objects) : EncodeLines(csv, ctx.localeForm));
    ctx.out.flush();
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeIntensityCommand()
{
    return std::make_unique<IntensityCommand>();
}
