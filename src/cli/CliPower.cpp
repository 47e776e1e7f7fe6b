// power: the sound power of a source from a survey of probe positions around it. Each point's
// recording is analysed into bands as the bands command does; the normal component of its
// active intensity times its area is the power through its piece of the surface, and the field
// indicators say which accuracy grade the survey reaches in each band.
#include "CliBandInput.h"
#include "CliJson.h"
#include "CliSupport.h"

#include "OctaveBandText.h"
#include "PowerReport.h"
#include "PowerTableCsv.h"
#include "ReportApplication.h"
#include "SoundPower.h"
#include "SurveyAnalysis.h"
#include "SurveyFile.h"

#include <CLI/CLI.hpp>

#include <QLocale>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

const char kPowerHelp[] =
    "Usage: sonorix-cli power SURVEY.csv|SURVEY.json [--fraction 1|3] [--band LO:HI]\n"
    "                         [--residual-index DB] [--grade 1|2|3] [--signal impulse|periodic]\n"
    "                         [--window NAME] [--fd-correction] [--json | --locale[=NAME]]\n"
    "                         [--report FILE.pdf] [constants]\n"
    "The sound power of a source from the probe positions of a surface around it. SURVEY.csv\n"
    "has a header line and a line per point:\n"
    "  file,area,nx,ny,nz[,label]   or   file,area,face[,label]\n"
    "with the point's recording (a segment or an audio file; a relative name is taken from the\n"
    "survey's folder), the area it stands for in m^2 and the outward normal of its piece of the\n"
    "surface, or the face of a box around the source (+x, -x, +y, -y, +z, -z, top, front, back,\n"
    "left, right). Lines starting with '#' are passed over. The survey may be JSON instead (a\n"
    "name ending in .json, or a text starting with '{'):\n"
    "  {\"source\": \"...\", \"points\": [{\"file\": \"...\", \"area\": 0.25, \"face\": \"+x\",\n"
    "                                \"label\": \"...\"}, {..., \"normal\": [nx, ny, nz]}, ...]}\n"
    "with \"source\" (what was measured, for the report) and \"label\" optional; a wrong point\n"
    "is named by its number, counted from 1, and its field.\n"
    "Each recording is analysed into bands as the bands command does; for each band shared by\n"
    "every point read, the normal intensity I_n = I . n, the partial power P = I_n S and:\n"
    "  fraction,nominal,points,P,L_W,L_p,F2,F3,F4,L_d,criterion_1,criterion_2,criterion_N,\n"
    "  criterion_F3_F2,grade,notes\n"
    "one CSV row per band and a last one of the A-weighted total (nominal \"total_A\"), where P is\n"
    "the sum of the partial powers in W, L_W = 10 lg(P / 1e-12 W) (empty, and \"negative power\"\n"
    "in notes, where P <= 0), L_p the points' mean pressure level, F2 = [L_p] - [|L_In|] the\n"
    "pressure-intensity indicator, F3 = [L_p] - [L_In] the negative partial power indicator, F4\n"
    "the field non-uniformity indicator, L_d = residual index - K the probe's dynamic capability\n"
    "(K = 10 dB for grades 1 and 2, 7 dB for grade 3). The criteria (true, false or \"not\n"
    "checked\"):\n"
    "  criterion_1      L_d > F2; not checked without --residual-index\n"
    "  criterion_2      N > C F4^2; not checked where the method gives no factor C (below 50 Hz,\n"
    "                   above 6.3 kHz)\n"
    "  criterion_N      N >= 10 points\n"
    "  criterion_F3_F2  F3 - F2 <= 3 dB\n"
    "grade is the best accuracy grade whose criteria all hold (1 precision, 2 engineering for the\n"
    "bands, 3 survey for the A-weighted total), or \"none\" with what to do in notes: more points,\n"
    "the surface moved closer, extraneous noise screened. notes also say where a band is doubtful\n"
    "at some point as bands marks it (k*dr > 1 for a pair, or with --residual-index the probe's\n"
    "dynamic capability exceeded); --json gives those as warnings.\n"
    "  --fraction N      1 octave bands, 3 one-third-octave bands (the default)\n"
    "  --band LO:HI      the bands whose nominal mid frequency lies in LO ... HI Hz\n"
    "  --residual-index DB\n"
    "                    the probe's pressure-residual intensity index, for criterion 1\n"
    "  --grade N         the grade the survey is meant to reach: each band short of it is\n"
    "                    reported on standard error with the criteria it misses (the A-weighted\n"
    "                    total against grade 3); the exit code stays 0\n"
    "  --signal KIND     impulse or periodic; default: the stored signal type\n"
    "  --window NAME     spectral window of a periodic signal: %WINDOWS%;\n"
    "                    default: the processing window's last choice\n"
    "  --fd-correction   undo the finite difference's loss in a plane wave along each axis\n"
    "  --json            a JSON array holding one object: the survey, its points and its bands\n"
    "  --locale[=NAME]   the program's own CSV form: \";\" between fields, the locale's decimal\n"
    "                    separator, numbers with 7 significant digits, Russian headers and\n"
    "                    notes, CR LF, Windows-1251\n"
    "  --report FILE.pdf also write a one-page A4 report in Russian: the source, the surface and\n"
    "                    its points, the table per band with the grades, a bar chart of L_W and\n"
    "                    the constants used (an existing file is replaced); a report that cannot\n"
    "                    be written is named on standard error (exit code 1), the table is\n"
    "                    written all the same\n"
    "A point whose recording cannot be read is named on standard error and left out; the others\n"
    "are still computed (exit code 1). A survey that cannot be read, or a line of it that is\n"
    "wrong, is refused with its line number (exit code 2).\n";

constexpr std::uintmax_t kSurveyLimitBytes = 16u << 20;

std::string readSurvey(const std::string& path, std::string& text)
{
    if (std::string problem = InputFileProblem(path); !problem.empty())
        return problem;
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) > kSurveyLimitBytes)
        return "too large for a survey (more than 16 MiB)";
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (!in && !in.eof())
        return "cannot be read";
    text = bytes.str();
    return {};
}

// A point's file as the tool opens it: relative names are relative to the folder the survey file
// really lies in, so a survey reached through a symbolic link finds the recordings beside it,
// not beside the link.
std::string pointPath(const std::string& survey, const std::string& file)
{
    const std::filesystem::path p(file);
    if (p.is_absolute())
        return file;
    std::filesystem::path folder = std::filesystem::path(survey).parent_path();
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::canonical(survey, ec).parent_path();
    if (!ec && !std::filesystem::equivalent(folder.empty() ? "." : folder, real, ec))
        folder = real;
    return (folder / p).lexically_normal().string();
}

// The points as the power counts them: each file by its real path, so that one recording named
// two ways is one position. Each repetition is said on standard error.
std::vector<SurveyPoint> resolvedPoints(const Context& ctx, const std::string& survey,
                                        const std::vector<SurveyPoint>& points)
{
    std::vector<SurveyPoint> resolved = points;
    for (SurveyPoint& p : resolved) {
        std::error_code ec;
        const std::filesystem::path real = std::filesystem::weakly_canonical(pointPath(survey, p.file), ec);
        p.file = ec ? pointPath(survey, p.file) : real.string();
    }
    const std::vector<int> repeated = SurveyRepeatedPoints(resolved);
    const auto name = [&](size_t i) {
        return "point " + std::to_string(i + 1) + " (" +
               (points[i].label.empty() ? "" : points[i].label + ", ") + points[i].file + ")";
    };
    for (size_t i = 0; i < repeated.size(); ++i)
        if (repeated[i] >= 0)
            ctx.fail(survey, "warning: " + name(i) + " repeats the recording of " +
                                 name(static_cast<size_t>(repeated[i])));
    if (const size_t distinct = SurveyDistinctPositions(resolved); distinct != points.size())
        ctx.fail(survey, "warning: " + std::to_string(points.size()) + " points hold " +
                             std::to_string(distinct) +
                             " distinct recordings; the criterion N >= 10 counts positions, not lines");
    return resolved;
}

std::string jsonOptional(const std::optional<double>& value)
{
    return value ? JsonNumber(*value) : std::string("null");
}

// The levels and indicators of silence are none, as the CSV form leaves them empty.
std::string jsonLevel(double value)
{
    return std::isfinite(value) ? JsonNumber(value) : std::string("null");
}

std::string jsonCriterion(const std::optional<bool>& holds)
{
    return holds ? (*holds ? "true" : "false") : "null";
}

// The report's lines of what the numbers stand on, in the program's language.
QStringList reportConstants(const BandInputPlan& plan)
{
    const QLocale ru(QLocale::Russian, QLocale::Russia);
    const BandAnalysisOptions& o = plan.options;
    QStringList lines;
    lines << QStringLiteral("Полосы: %1")
                 .arg(o.fraction == 1 ? QStringLiteral("октавные") : QStringLiteral("третьоктавные"));
    lines << (o.periodic ? QStringLiteral("Сигнал: периодический, окно %1")
                               .arg(QString::fromStdString(WindowItemName(plan.window)))
                         : QStringLiteral("Сигнал: импульсный"));
    lines << QStringLiteral("Плотность воздуха ρ: %1 кг/м³").arg(ru.toString(o.density, 'g', 4));
    lines << QStringLiteral("Скорость звука c: %1 м/с").arg(ru.toString(o.soundSpeed, 'g', 4));
    lines << QStringLiteral("Расстояния между микрофонами Δr (x, y, z): %1; %2; %3 мм")
                 .arg(ru.toString(o.spacings[0] * 1000, 'g', 4), ru.toString(o.spacings[1] * 1000, 'g', 4),
                      ru.toString(o.spacings[2] * 1000, 'g', 4));
    lines << QStringLiteral("Поправка конечной разности: %1")
                 .arg(o.correctFiniteDifference ? QStringLiteral("да") : QStringLiteral("нет"));
    return lines;
}

class PowerCommand : public CliCommand {
public:
    const char* help() const override
    {
        static const std::string text = std::string(kPowerHelp) + AudioOptionsHelp(true);
        return text.c_str();
    }
    void addOptions(CLI::App& app, CommandLine& line) override
    {
        AddBandInputOptions(app, input_);
        AddValueOption(app, "--grade", grade_);
        AddFlagOption(app, "--json", json_);
        AddLocaleOption(app, line.locale);
        AddValueOption(app, "--report", report_);
    }
    std::string usageProblem(const CommandLine& line) const override
    {
        if (line.files.size() != 1)
            return "power needs one survey file";
        return {};
    }
    int run(const Context& ctx, const CommandLine& line) override;

private:
    std::string jsonRow(const SurveyPowerRow& row, const SurveyPowerTable& table, size_t pointCount) const;

    BandInputOptions input_;
    std::optional<std::string> grade_;
    std::optional<std::string> report_;
    bool json_ = false;
};

std::string PowerCommand::jsonRow(const SurveyPowerRow& row, const SurveyPowerTable& table,
                                  size_t pointCount) const
{
    const SurveyBandPower& p = row.power;
    // The partial powers in the survey's order, null for a point not read.
    std::vector<std::string> partial(pointCount, "null");
    for (size_t k = 0; k < table.pointsRead.size() && k < p.partialPower.size(); ++k)
        partial[table.pointsRead[k]] = JsonNumber(p.partialPower[k]);
    std::vector<std::string> advice, warnings;
    for (const std::string& text : p.adviceEn)
        advice.push_back(JsonString(text));
    for (unsigned bit : {unsigned(kBandCautionSpacing), unsigned(kBandCautionDynamic)})
        if (row.cautions & bit)
            warnings.push_back(JsonString(BandCautionTextEn(bit)));
    JsonObject object;
    if (row.aWeightedTotal)
        object.raw("nominal", "null");
    else
        object.number("nominal", row.nominal).number("centre", row.midHz);
    return object.integer("points", static_cast<int64_t>(p.partialPower.size()))
        .number("P", p.totalPower)
        .raw("L_W", jsonOptional(p.powerLevelDb))
        .boolean("negative_power", p.negativePower)
        .raw("L_p", jsonLevel(p.meanPressureLevelDb))
        .raw("F2", jsonLevel(p.F2))
        .raw("F3", jsonLevel(p.F3))
        .boolean("negative_mean_intensity", p.negativeMeanIntensity)
        .raw("F4", jsonLevel(p.F4))
        .raw("L_d", jsonOptional(p.dynamicCapabilityDb))
        .raw("criterion_1", jsonCriterion(p.criterion1))
        .raw("criterion_2", jsonCriterion(p.criterion2))
        .boolean("criterion_N", p.enoughPoints)
        .boolean("criterion_F3_F2", p.extraneousLimitHolds)
        .raw("grade", p.grade == SurveyGrade::None ? "null" : std::to_string(static_cast<int>(p.grade)))
        .raw("advice", JsonArray(advice))
        .raw("warnings", JsonArray(warnings))
        .raw("partial_power", JsonArray(partial))
        .text();
}

int PowerCommand::run(const Context& ctx, const CommandLine& line)
{
    BandInputPlan plan;
    bool bad = !ReadBandInputOptions(ctx, input_, plan);
    std::optional<int> wantedGrade;
    if (grade_) {
        if (*grade_ == "1" || *grade_ == "2" || *grade_ == "3") {
            wantedGrade = std::stoi(*grade_);
        } else {
            ctx.fail("", "--grade: expected 1 (precision), 2 (engineering) or 3 (survey), got \"" + *grade_ +
                             "\"");
            bad = true;
        }
    }
    if (report_ && report_->empty()) {
        ctx.fail("", "--report: expected the name of a PDF file");
        bad = true;
    }
    if (json_ && ctx.localeForm) {
        ctx.fail("", "--json and --locale exclude each other");
        bad = true;
    }
    if (bad)
        return kExitUsage;
    FinishBandInputPlan(ctx, input_, plan);

    const std::string& survey = line.files.front();
    std::string text;
    std::vector<SurveyPoint> points;
    std::string source;
    if (std::string error = readSurvey(survey, text); !error.empty()) {
        ctx.fail(survey, error);
        return kExitUsage;
    }
    bool windows1251 = false;
    if (std::string error = ParseSurveyText(survey, text, points, &source, &windows1251); !error.empty()) {
        ctx.fail(survey, error);
        return kExitUsage;
    }
    if (windows1251)
        ctx.fail(survey, "warning: the survey is not UTF-8 text; read as Windows-1251");
    if (report_) {
        // The report replaces its file: never the survey or a recording of it.
        std::vector<std::string> inputs{survey};
        for (const SurveyPoint& point : points)
            inputs.push_back(pointPath(survey, point.file));
        if (const std::string problem = SameFileProblem(*report_, inputs); !problem.empty()) {
            ctx.fail(*report_, problem);
            return kExitUsage;
        }
    }

    std::vector<std::optional<BandAnalysis>> analyses(points.size());
    std::vector<RecordingScale> pascals(points.size());
    std::vector<std::string> failed;
    for (size_t i = 0; i < points.size(); ++i) {
        const std::string path = pointPath(survey, points[i].file);
        ctx.showProgress(i, points.size(), path);
        BandAnalysis a;
        if (AnalyseBandInput(ctx, plan, path, a, &pascals[i]))
            analyses[i] = std::move(a);
        else
            failed.push_back(points[i].label.empty() ? points[i].file
                                                     : points[i].label + " (" + points[i].file + ")");
    }
    ctx.endProgress();
    const SurveyPowerTable table =
        ComputeSurveyPower(resolvedPoints(ctx, survey, points), analyses, plan.options.residualIndexDb);
    if (!failed.empty()) {
        std::string names;
        for (const std::string& name : failed)
            names += (names.empty() ? "" : ", ") + name;
        ctx.fail(survey, std::to_string(failed.size()) + " of " + std::to_string(points.size()) +
                             " points not read and left out of the power: " + names);
    }
    if (table.pointsRead.empty()) {
        ctx.fail(survey, "no point could be read; no power computed");
        return kExitSomeFailed;
    }
    if (table.rows.empty()) {
        ctx.fail(survey, "the points share no band (are their rates and lengths alike?); no power computed");
        return kExitSomeFailed;
    }
    if (wantedGrade)
        for (const SurveyPowerRow& row : table.rows) {
            const std::vector<std::string> failing =
                SurveyGradeShortfall(row, *wantedGrade, plan.options.residualIndexDb);
            if (failing.empty())
                continue;
            std::string criteria;
            for (const std::string& text : failing)
                criteria += (criteria.empty() ? "" : ", ") + text;
            ctx.fail(survey, "band " + row.label + " does not reach grade " +
                                 std::to_string(row.aWeightedTotal ? 3 : *wantedGrade) + " (" + criteria +
                                 " not met)");
        }

    // The table is put into words first, so that a figure that is not finite stops it whole.
    const uint64_t before = NonFiniteNumbersSeen();
    std::string written;
    if (json_) {
        std::vector<std::string> pointObjects, bands;
        for (size_t i = 0; i < points.size(); ++i) {
            const SurveyPoint& p = points[i];
            pointObjects.push_back(
                JsonObject()
                    .string("file", p.file)
                    .string("label", p.label)
                    .number("area", p.area)
                    .raw("normal", JsonArray({JsonNumber(p.normal[0]), JsonNumber(p.normal[1]),
                                              JsonNumber(p.normal[2])}))
                    .boolean("read", analyses[i].has_value())
                    .raw("pascals", analyses[i] ? JsonPascals(pascals[i]) : "null")
                    .text());
        }
        std::string totalA = "null";
        for (const SurveyPowerRow& row : table.rows)
            if (row.aWeightedTotal)
                totalA = jsonRow(row, table, points.size());
            else
                bands.push_back(jsonRow(row, table, points.size()));
        written = JsonDocument({JsonObject()
                                    .string("survey", survey)
                                    .integer("fraction", table.fraction)
                                    .raw("points", JsonArray(pointObjects))
                                    .raw("bands", JsonArray(bands))
                                    .raw("total_A", totalA)
                                    .text()});
    } else {
        const PowerCsvNumber number = ctx.localeForm ? PowerCsvNumber(LocaleNumber) : [](double v) {
            return QString::fromStdString(MachineNumber(v));
        };
        const QStringList csv = PowerTableCsvLines(table, ctx.localeForm, number);
        written = EncodeLines(csv, ctx.localeForm);
    }
    if (NonFiniteNumbersSeen() != before) {
        ctx.fail(survey, kNonFiniteResultText);
        return kExitSomeFailed;
    }
    ctx.out << written;
    ctx.out.flush();

    bool reported = true;
    if (report_) {
        PowerReportInput report;
        report.source = QString::fromStdString(source);
        report.surveyPath = QString::fromStdString(survey);
        report.points = points;
        for (const auto& analysis : analyses)
            report.pointRead.push_back(analysis.has_value());
        report.table = table;
        report.residualIndexDb = plan.options.residualIndexDb;
        report.grade = wantedGrade.value_or(2);
        report.constants = reportConstants(plan);
        const ReportApplication application;
        QString problem = application.problem();
        // A directory or a device in the report's place is refused before Qt would try it.
        if (const std::string target = OutputTargetProblem(*report_, true);
            !target.empty() && problem.isEmpty())
            problem = QStringLiteral("Не удалось записать файл «%1»: %2")
                          .arg(QString::fromStdString(*report_), QString::fromStdString(target));
        if (problem.isEmpty())
            problem = WritePowerReportPdf(QString::fromStdString(*report_), report);
        if (!problem.isEmpty()) {
            ctx.fail("", problem.toStdString());
            reported = false;
        }
    }
    return failed.empty() && reported ? kExitOk : kExitSomeFailed;
}

}   // namespace

std::unique_ptr<CliCommand> MakePowerCommand()
{
    return std::make_unique<PowerCommand>();
}
