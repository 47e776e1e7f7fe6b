#include "CliIntensity.h"

#include "CliContext.h"

#include "CliSupport.h"

#include "Intensity.h"
#include "ProcessingData.h"
#include "ReadWriteMyFile.h"
#include "ResultMath.h"
#include "ResultText.h"
#include "Windows.h"
#include "TestSignal.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

std::string SynthesizeDemoSegment(const Settings& s, Segment& segment)
{
    uint32_t rate = 0;
    double duration = 0.0;
    TReadWriteMyFile::TestSignalHeader(s, rate, duration);
    const uint32_t evenRate = SegmentEvenRate(rate);
    if (s.freq_ocifr <= 0 || !(duration > 0.0))
        return "the test signal needs a positive sampling rate and duration";
    const int64_t n = TestSignalSampleCount(evenRate, duration);
    if (n < 4 || n > INT32_MAX)
        return "the test signal would hold " + std::to_string(n) +
               " samples per channel; 4 to 2147483647 can be analysed";
    const int64_t need = ProcessingBytesNeeded(n);
    const int64_t available = AvailableMemoryBytes();
    if (available >= 0 && need > available)
        return MemoryRefusalText(n, need, available);
    segment.Allocate(static_cast<int32_t>(n));
    segment.sampleRate = evenRate;
    double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    SynthesizeTestSignal(TestSignalParams::FromSettings(s), n, channels, segment.time.data());
    return {};
}

std::string ComputeSegmentIntensity(const IntensityConstants& constants, const Segment& segment,
                                    int windowItem, IntensitySpectra& out)
{
    const int n = segment.sampleCount;
    if (n < 4 || segment.time.size() < static_cast<size_t>(n))
        return "too few samples for an intensity spectrum (" + std::to_string(n) + ")";
    const int bins = n / 2;
    const double df = 1.0 / segment.time[n - 1];
    out.frequency.resize(bins);
    for (int k = 0; k < bins; ++k)
        out.frequency[k] = k * df;
    for (auto& v : out.values)
        v.assign(bins, 0.0);
    const double* channels[6];
    for (int c = 0; c < 6; ++c)
        channels[c] = segment.channels[c].data();
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = out.values[3 * g + a].data();
    const AnalysisStatus status = ComputeIntensitySpectra(
        constants, windowItem, n, channels, segment.time.data(), groups[0], groups[1], groups[2], groups[3]);
    if (status != 0)
        return "the intensity spectra could not be computed (status " + std::to_string(status) + ")";
    return {};
}

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
    "Test signal (--demo): the stored test-signal parameters, each overridden by\n"
    "  --type sine|meander|impulse  --freq HZ  --amplitude ADC_STEPS  --fi-z DEG  --fi-x DEG\n"
    "  --noise PERCENT  --rate HZ  --duration S (whole seconds)\n"
    "within the test-signal dialog's ranges: --freq 1..10000 and below half the rate, --amplitude\n"
    "from 1 step to 1000 V, --fi-z and --fi-x 0..360, --noise 0..100, --rate 64..100000000,\n"
    "--duration 1..10.\n";

const char* const kQuantityNames[4] = {"I", "J", "K", "P"};

std::string applyDemoOptions(const ParsedArgs& args, Settings& s)
{
    if (const std::string* type = args.value("--type")) {
        if (*type == "sine")
            s.type_sig = 0;
        else if (*type == "meander")
            s.type_sig = 1;
        else if (*type == "impulse")
            s.type_sig = 2;
        else
            return "--type: expected sine, meander or impulse, got \"" + *type + "\"";
    }
    // The ranges of the test-signal dialog. The amplitude is entered there as 0 ... 1000 V and
    // stored as trunc(V / VOLT + 1) ADC steps, so it is never 0 steps.
    const int64_t maxAmplitude = std::min<int64_t>(
        INT32_MAX, static_cast<int64_t>(std::min(1000.0 / s.VOLT + 1.0, static_cast<double>(INT32_MAX))));
    struct IntOption {
        const char* name;
        const char* key;
        int32_t* field;
        int64_t min;
        int64_t max;
    };
    const IntOption options[] = {
        {"--freq", "freq_sig", &s.freq_sig, 1, 10000},
        {"--amplitude", "ampl_sig", &s.ampl_sig, 1, maxAmplitude},
        {"--fi-z", "FI_Z", &s.FI_Z, 0, 360},
        {"--fi-x", "FI_X", &s.FI_X, 0, 360},
        {"--noise", "ampl_noise_sig", &s.ampl_noise_sig, 0, 100},
        {"--rate", "freq_ocifr", &s.freq_ocifr, 64, 100000000},
        {"--duration", "dlit", &s.dlit, 1, 10},
    };
    for (const IntOption& o : options) {
        const std::string range = "expected a whole number from " + std::to_string(o.min) + " to " +
                                  std::to_string(o.max) + ", got ";
        if (const std::string* text = args.value(o.name)) {
            const std::optional<int> v = ParseInteger(*text);
            if (!v || *v < o.min || *v > o.max)
                return std::string(o.name) + " (" + o.key + "): " + range + "\"" + *text + "\"";
            *o.field = *v;
        } else if (*o.field < o.min || *o.field > o.max) {
            // A stored value the dialog would not have let through.
            return std::string("the settings store's ") + o.key + ": " + range + std::to_string(*o.field) +
                   "; give " + o.name;
        }
    }
    // A tone at or above half the rate the processing window uses is sampled as another one.
    const double nyquist = SegmentEvenRate(static_cast<uint32_t>(s.freq_ocifr)) / 2.0;
    if (!(s.freq_sig < nyquist))
        return "--freq (freq_sig): " + std::to_string(s.freq_sig) +
               " Hz is not below the Nyquist frequency " + MachineNumber(nyquist) +
               " Hz of the sampling rate (--rate " + std::to_string(s.freq_ocifr) +
               " Hz); a higher rate or a lower frequency is needed";
    return {};
}

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
std::vector<std::string> probeLimitWarnings(const Settings& s, const IntensitySpectra& spectra,
                                            const BandResult& band, int impuls, int windowItem)
{
    // An impulse is never weighted; a periodic signal is, with the window of the list item.
    const double enbw = impuls == 1 ? WindowItemEnbw(windowItem, spectra.bins()) : 1.0;
    const ProbeLimitCheck check = CheckBandLimits(spectra.view(), band, s.lmic, s.skorost, enbw);
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

// What the command line asks of this run, checked before anything is read.
struct IntensityRequest {
    bool demo = false;
    int window = 0;
    FrequencyRange range;
    const std::string* csvPattern = nullptr;
    std::vector<std::string> inputs;
    bool json = false;
    bool force = false;
};

// Parses and checks the options; false after saying what is wrong.
bool ParseRequest(const Context& ctx, const ParsedArgs& args, IntensityRequest& request)
{
    request.demo = args.has("--demo");
    if (request.demo == !args.positional.empty()) {
        ctx.fail("", "intensity needs segment files or --demo, not both (see intensity --help)");
        return false;
    }
    bool bad = false;
    const std::optional<int> signal = SignalFromOption(args, ctx, bad);
    const std::optional<int> window = WindowFromOption(args, ctx, bad);
    if (const std::string* band = args.value("--band")) {
        const size_t colon = band->find(':');
        const auto lo = colon == std::string::npos ? std::nullopt : ParseNumber(band->substr(0, colon));
        const auto hi = colon == std::string::npos ? std::nullopt : ParseNumber(band->substr(colon + 1));
        if (!lo || !hi || !(*hi > *lo)) {
            ctx.fail("", "--band: expected LO:HI in Hz with HI above LO, got \"" + *band + "\"");
            bad = true;
        } else {
            request.range = {true, *lo, *hi};
        }
    }
    request.inputs = request.demo ? std::vector<std::string>{"demo"} : args.positional;
    request.csvPattern = args.value("--spectra-csv");
    if (request.csvPattern && request.inputs.size() > 1 &&
        request.csvPattern->find("{}") == std::string::npos) {
        ctx.fail("", "--spectra-csv: with several files the name must contain {} for each file's base name");
        bad = true;
    }
    request.json = args.has("--json");
    request.force = args.has("--force");
    if (request.json && ctx.localeForm) {
        ctx.fail("", "--json and --locale exclude each other");
        bad = true;
    }
    if (request.demo) {
        const std::string error = applyDemoOptions(args, ctx.settings);
        if (!error.empty()) {
            ctx.fail("", error);
            bad = true;
        }
    }
    if (bad)
        return false;
    if (signal)
        ctx.settings.impuls = *signal;
    request.window = *window;
    return true;
}

// One input's band, with the probe's limits said.
struct InputResult {
    IntensitySpectra spectra;
    BandResult band;
    std::vector<std::string> warnings;
};

// Reads a segment (or synthesises the test signal) and reduces its band; false once the
// failure has been reported.
bool AnalyseInput(const Context& ctx, const IntensityRequest& request, const std::string& name,
                  InputResult& result)
{
    ctx.presenter.setFile(name);
    Segment segment;
    std::string error;
    if (request.demo) {
        error = SynthesizeDemoSegment(ctx.settings, segment);
    } else if (!Guarded(ctx, name, [&] { return LoadSegment(ctx, name, segment); })) {
        ctx.presenter.setFile({});
        return false;
    }
    const int impuls = ctx.settings.impuls;
    if (error.empty())
        error = ComputeSegmentIntensity(IntensityConstantsFrom(ctx.settings, request.demo), segment,
                                        request.window, result.spectra);
    if (error.empty())
        error =
            bandError(ReduceBand(result.spectra.view(), request.range, impuls, result.band), request.range);
    if (error.empty() && result.band.detectorFailed)
        ShowMessageBox("Ошибка", kPeakDetectorFailedText, MB_OK);
    if (error.empty() && request.csvPattern) {
        std::string csvName = *request.csvPattern;
        if (const size_t at = csvName.find("{}"); at != std::string::npos)
            csvName.replace(at, 2, BaseName(name));
        error = WriteOutputFile(csvName, spectraCsv(ctx, result.spectra, request.range), request.force);
    }
    ctx.presenter.setFile({});
    if (!error.empty()) {
        ctx.fail(name, error);
        return false;
    }
    result.warnings = probeLimitWarnings(ctx.settings, result.spectra, result.band, impuls, request.window);
    for (const std::string& warning : result.warnings)
        ctx.fail(name, "warning: " + warning);
    return true;
}

QString CsvHeader(const Context& ctx)
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

std::string SignalName(const Context& ctx)
{
    return ctx.settings.impuls == 0 ? "impulse" : "periodic";
}

QString CsvRow(const Context& ctx, const IntensityRequest& request, const std::string& name,
               const InputResult& in)
{
    const char sepChar = ctx.localeForm ? ';' : ',';
    const QString sep = QString(QChar::fromLatin1(sepChar));
    const auto number = [&](double v) {
        return ctx.localeForm ? LocaleNumber(v) : QString::fromStdString(MachineNumber(v));
    };
    QString row = QString::fromStdString(CsvField(name, sepChar)) + sep +
                  QString::fromStdString(SignalName(ctx)) + sep +
                  QString::fromStdString(WindowItemName(request.window));
    row += sep + number(in.band.fLo) + sep + number(in.band.fHi);
    const IntensityResult& r = in.band.result;
    for (const std::array<double, 3>* v : {&r.I, &r.J, &r.K, &r.P}) {
        const VectorAngles a = ComputeVectorAngles(*v);
        for (double component : *v)
            row += sep + number(component);
        row += sep + number(a.modulus) + sep + number(a.alpha) + sep + number(90.0 - a.alpha) + sep +
               number(a.beta);
    }
    return row;
}

std::string JsonRow(const Context& ctx, const IntensityRequest& request, const std::string& name,
                    const InputResult& in)
{
    const IntensityResult& r = in.band.result;
    JsonObject object;
    object.string("file", name)
        .string("signal", SignalName(ctx))
        .string("window", WindowItemName(request.window))
        .raw("band", JsonNumbers({in.band.fLo, in.band.fHi}))
        .raw("bins", "[" + std::to_string(in.band.first) + ", " + std::to_string(in.band.end) + "]")
        .string("band_text", r.bandText);
    const std::array<double, 3>* vectors[4] = {&r.I, &r.J, &r.K, &r.P};
    for (int q = 0; q < 4; ++q) {
        const VectorAngles a = ComputeVectorAngles(*vectors[q]);
        const std::array<double, 3>& v = *vectors[q];
        object.raw(kQuantityNames[q], JsonObject()
                                          .number("x", v[0])
                                          .number("y", v[1])
                                          .number("z", v[2])
                                          .number("modulus", a.modulus)
                                          .number("angle_x", a.alpha)
                                          .number("angle_y", 90.0 - a.alpha)
                                          .number("angle_z", a.beta)
                                          .text());
    }
    std::string warnings;
    for (const std::string& warning : in.warnings)
        warnings += (warnings.empty() ? "" : ", ") + JsonString(warning);
    return object.raw("warnings", "[" + warnings + "]").text();
}

int RunIntensity(const Context& ctx, const ParsedArgs& args)
{
    IntensityRequest request;
    if (!ParseRequest(ctx, args, request))
        return kExitUsage;
    QStringList csv{CsvHeader(ctx)};
    std::vector<std::string> objects;
    bool anyFailed = false;
    for (size_t i = 0; i < request.inputs.size(); ++i) {
        const std::string& name = request.inputs[i];
        ctx.showProgress(i, request.inputs.size(), name);
        InputResult result;
        if (!AnalyseInput(ctx, request, name, result)) {
            anyFailed = true;
            continue;
        }
        if (request.json)
            objects.push_back(JsonRow(ctx, request, name, result));
        else
            csv << CsvRow(ctx, request, name, result);
    }
    ctx.endProgress();
    if (request.json)
        WriteJsonArray(ctx.out, objects);
    else
        ctx.out << EncodeLines(csv, ctx.localeForm);
    ctx.out.flush();
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

const CliCommand& IntensityCommand()
{
    static const CliCommand command{"intensity",
                                    kIntensityHelp,
                                    {"--signal", "--window", "--band", "--spectra-csv", "--type", "--freq",
                                     "--amplitude", "--fi-z", "--fi-x", "--noise", "--rate", "--duration"},
                                    {"--demo", "--json", "--locale", "--force"},
                                    RunIntensity};
    return command;
}
