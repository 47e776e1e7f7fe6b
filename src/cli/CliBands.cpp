// bands: the octave or one-third-octave bands of each segment's intensity spectra (or of the
// test signal's), one CSV row per file and band or a JSON object per file.
#include "CliBandInput.h"
#include "CliDemo.h"
#include "CliJson.h"

#include "OctaveBandText.h"
#include "OctaveBands.h"
#include "Windows.h"

#include <CLI/CLI.hpp>

#include <cmath>

namespace {

const char kBandsHelp[] =
    "Usage: sonorix-cli bands (SEG.kvnb... | --demo [test-signal options])\n"
    "                         [--fraction 1|3] [--band LO:HI] [--fd-correction]\n"
    "                         [--residual-index DB] [--signal impulse|periodic] [--window NAME]\n"
    "                         [--json | --locale[=NAME]] [constants]\n"
    "For each segment: the intensity spectra of the processing window (as the intensity command\n"
    "computes them) summed over octave or one-third-octave bands, with the band levels and the\n"
    "direction of the active intensity. One CSV row per file and band on standard output, then\n"
    "a row of the total over the bands and one of the A-weighted total:\n"
    "  file,fraction,nominal,lower,centre,upper,Ix,Iy,Iz,I_mod,L_I,L_p,PI_index,Jx,Jy,Jz,J_mod,\n"
    "  Kx,Ky,Kz,Px,Py,Pz,angle_x,angle_y,angle_z,valid,warnings\n"
    "where nominal is the band's name (31.5, 1000, ...; \"total\" and \"total_A\" for the totals),\n"
    "lower, centre, upper its exact edges and mid frequency in Hz, L_I = 10 lg(|I| / 1e-12 W/m^2),\n"
    "L_p = 10 lg(p^2 / (2e-5 Pa)^2) and PI_index = L_p - L_I in dB (an empty field where the\n"
    "quantity is zero), the angles those of I as the intensity command gives them, valid false\n"
    "where the band's figures are doubtful and warnings why.\n"
    "  --fraction N      1 octave bands, 3 one-third-octave bands (the default)\n"
    "  --band LO:HI      the bands whose nominal mid frequency lies in LO ... HI Hz;\n"
    "                    default: every band the spectrum holds\n"
    "  --fd-correction   undo the finite difference's loss in a plane wave along each axis\n"
    "                    (k*dr / sin(k*dr), where k*dr < pi/2)\n"
    "  --residual-index DB\n"
    "                    the probe's pressure-residual intensity index; a band whose\n"
    "                    PI_index exceeds it less 7 dB is doubtful\n"
    "  --signal KIND     impulse or periodic; default: the stored signal type\n"
    "  --window NAME     spectral window of a periodic signal: %WINDOWS%;\n"
    "                    default: the processing window's last choice\n"
    "  --json            a JSON array with an object per file instead of CSV\n"
    "  --locale[=NAME]   the program's own CSV form: \";\" between fields, the locale's decimal\n"
    "                    separator, numbers with 7 significant digits, Russian headers, CR LF,\n"
    "                    Windows-1251\n"
    "A band is doubtful where k*dr > 1 at its upper edge for a pair, or (with --residual-index)\n"
    "where the probe's dynamic capability is exceeded.\n"
    "Test signal (--demo): the stored test-signal parameters, each overridden by\n"
    "  --type sine|meander|impulse  --freq HZ  --amplitude ADC_STEPS  --fi-z DEG  --fi-x DEG\n"
    "  --noise PERCENT  --rate HZ  --duration S (whole seconds)\n"
    "within the test-signal dialog's ranges, as for the intensity command.\n";

std::string jsonLevel(const std::optional<double>& level)
{
    return level ? JsonNumber(*level) : std::string("null");
}

std::string jsonVector(const std::array<double, 3>& v)
{
    return JsonArray({JsonNumber(v[0]), JsonNumber(v[1]), JsonNumber(v[2])});
}

// The members a band and a total share, in the order of the CSV columns.
void addFigures(JsonObject& object, const BandFigures& f)
{
    object.raw("I", jsonVector(f.values.active))
        .number("I_mod", f.active.modulus)
        .raw("L_I", jsonLevel(f.levels.intensity))
        .raw("L_p", jsonLevel(f.levels.pressure))
        .raw("PI_index", jsonLevel(f.levels.index))
        .raw("J", jsonVector(f.values.reactive))
        .number("J_mod", f.reactive.modulus)
        .raw("K", jsonVector(f.values.kinetic))
        .raw("P", jsonVector(f.values.potential))
        .raw("angle_x", JsonAngle(f.active.modulus, f.active.alpha))
        .raw("angle_y", JsonAngle(f.active.modulus, 90.0 - f.active.alpha))
        .raw("angle_z", JsonAngle(f.active.modulus, f.active.beta));
}

std::string jsonBand(const OctaveBand& band)
{
    JsonObject object;
    object.number("nominal", band.nominalHz)
        .number("lower", band.lowerHz)
        .number("centre", band.midHz)
        .number("upper", band.upperHz);
    addFigures(object, band.figures);
    std::vector<std::string> warnings;
    for (unsigned bit : {unsigned(kBandCautionSpacing), unsigned(kBandCautionDynamic)})
        if (band.cautions & bit)
            warnings.push_back(JsonString(BandCautionTextEn(bit)));
    return object.boolean("valid", band.cautions == 0).raw("warnings", JsonArray(warnings)).text();
}

std::string jsonTotal(const BandFigures& total)
{
    JsonObject object;
    addFigures(object, total);
    return object.text();
}

std::string jsonFile(const std::string& name, int impuls, const BandInputPlan& plan, const BandAnalysis& a,
                     const RecordingScale& pascals)
{
    std::vector<std::string> bands;
    for (const OctaveBand& band : a.bands)
        bands.push_back(jsonBand(band));
    return JsonObject()
        .string("file", name)
        .string("signal", impuls == 0 ? "impulse" : "periodic")
        .string("window", WindowItemName(plan.window))
        .integer("fraction", a.fraction)
        .raw("bands", JsonArray(bands))
        .raw("total", jsonTotal(a.total))
        .raw("total_A", jsonTotal(a.totalA))
        .raw("pascals", JsonPascals(pascals))
        .text();
}

bool finiteFigures(const BandFigures& f)
{
    const BandQuantities& q = f.values;
    for (const auto* v : {&q.active, &q.reactive, &q.kinetic, &q.potential})
        for (double x : *v)
            if (!std::isfinite(x))
                return false;
    for (double x :
         {q.meanSquarePressure, f.active.modulus, f.active.alpha, f.active.beta, f.reactive.modulus})
        if (!std::isfinite(x))
            return false;
    return true;
}

// Every figure the table writes of a file, bands and totals; the levels are none already where
// they would not be finite.
bool FiniteBandAnalysis(const BandAnalysis& a)
{
    for (const OctaveBand& band : a.bands)
        if (!finiteFigures(band.figures))
            return false;
    return finiteFigures(a.total) && finiteFigures(a.totalA);
}

QString csvLine(const Context& ctx, const std::string& name, int fraction, const QStringList& cells)
{
    const char sepChar = ctx.localeForm ? ';' : ',';
    const QChar sep = QChar::fromLatin1(sepChar);
    QString line = QString::fromStdString(CsvField(name, sepChar)) + sep + QString::number(fraction);
    for (const QString& cell : cells)
        line += sep + BandCsvField(cell, sep);
    return line;
}

class BandsCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kBandsHelp) + AudioOptionsHelp(true);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine& line) override;
    int run(const Context& ctx, const CommandLine& line) override;

private:
    bool makePlan(const Context& ctx, const CommandLine& line, BandInputPlan& plan,
                  std::vector<std::string>& inputs) const;

    BandInputOptions input_;
    bool demo_ = false;
    bool json_ = false;
    DemoOptions demoOptions_;
};

void BandsCommand::addOptions(CLI::App& app, CommandLine& line)
{
    AddBandInputOptions(app, input_);
    AddFlagOption(app, "--demo", demo_);
    AddFlagOption(app, "--json", json_);
    AddLocaleOption(app, line.locale);
    AddDemoOptions(app, demoOptions_);
}

// Checks the whole command line before any input is read; false after its messages.
bool BandsCommand::makePlan(const Context& ctx, const CommandLine& line, BandInputPlan& plan,
                            std::vector<std::string>& inputs) const
{
    plan.demo = demo_;
    inputs = demo_ ? std::vector<std::string>{"demo"} : line.files;
    bool bad = !ReadBandInputOptions(ctx, input_, plan);
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
    FinishBandInputPlan(ctx, input_, plan);
    return true;
}

int BandsCommand::run(const Context& ctx, const CommandLine& line)
{
    if (demo_ == !line.files.empty()) {
        ctx.fail("", "bands needs segment files or --demo, not both (see bands --help)");
        return kExitUsage;
    }
    BandInputPlan plan;
    std::vector<std::string> inputs;
    if (!makePlan(ctx, line, plan, inputs))
        return kExitUsage;
    const BandTextForm form = ctx.localeForm ? BandTextForm::ProgramCsv : BandTextForm::PlainCsv;
    QStringList header = BandTableHeaders(form);
    header.prepend(ctx.localeForm ? QStringLiteral("Доля октавы") : QStringLiteral("fraction"));
    header.prepend(ctx.localeForm ? QStringLiteral("Файл") : QStringLiteral("file"));
    // Each input's rows go out as soon as they are ready, so a long batch keeps its memory flat
    // and its table grows as it runs; the bytes are those of the whole table written at once.
    if (json_)
        ctx.out << '[';
    else
        ctx.out << EncodeLines({header.join(QLatin1Char(ctx.localeForm ? ';' : ','))}, ctx.localeForm);
    size_t objects = 0;
    bool anyFailed = false;
    for (size_t i = 0; i < inputs.size() && ctx.out; ++i) {
        const std::string& name = inputs[i];
        ctx.showProgress(i, inputs.size(), name);
        BandAnalysis a;
        RecordingScale pascals;
        if (!AnalyseBandInput(ctx, plan, name, a, &pascals)) {
            anyFailed = true;
            continue;
        }
        if (!FiniteBandAnalysis(a)) {
            ctx.fail(name, kNonFiniteResultText);
            anyFailed = true;
            continue;
        }
        ctx.endProgress();
        if (json_) {
            ctx.out << (objects++ ? ",\n " : "\n ") << jsonFile(name, ctx.settings.impuls, plan, a, pascals);
        } else {
            QStringList csv;
            for (const OctaveBand& band : a.bands)
                csv << csvLine(ctx, name, a.fraction, BandRowCells(band, form));
            csv << csvLine(ctx, name, a.fraction, BandTotalCells(a.total, false, form));
            csv << csvLine(ctx, name, a.fraction, BandTotalCells(a.totalA, true, form));
            ctx.out << EncodeLines(csv, ctx.localeForm);
        }
        ctx.out.flush();
    }
    ctx.endProgress();
    if (json_)
        ctx.out << "\n]\n";
    ctx.out.flush();
    if (!ctx.out)
        anyFailed = true;
    return anyFailed ? kExitSomeFailed : kExitOk;
}

}   // namespace

std::unique_ptr<CliCommand> MakeBandsCommand()
{
    return std::make_unique<BandsCommand>();
}
