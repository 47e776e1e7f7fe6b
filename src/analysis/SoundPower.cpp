#include "SoundPower.h"

#include "CoreText.h"
#include "SettingLimits.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <sstream>

namespace {

constexpr double kReferenceIntensity = 1e-12;   // W/m^2
constexpr double kReferencePower = 1e-12;       // W
constexpr int kMinimumPoints = 10;
constexpr double kExtraneousLimitDb = 3.0;

double Level(double ratio)
{
    return 10.0 * std::log10(ratio);
}

// K of criterion 1: the bias factor for the grade.
double BiasFactor(int grade)
{
    return grade == 3 ? 7.0 : 10.0;
}

struct GradeCheck {
    std::optional<bool> criterion1;
    std::optional<bool> criterion2;
    std::optional<double> dynamicCapability;
    bool holds = false;
};

GradeCheck Check(const SurveyBandPower& r, const SurveyBandInput& band, std::optional<double> residualIndex,
                 int grade, size_t points)
{
    GradeCheck check;
    if (residualIndex) {
        check.dynamicCapability = *residualIndex - BiasFactor(grade);
        check.criterion1 = *check.dynamicCapability > r.F2;
    }
    if (const std::optional<double> c =
            SurveyFactorC(band.nominal, band.fraction, band.aWeightedTotal, grade))
        check.criterion2 = static_cast<double>(points) > *c * r.F4 * r.F4;
    // Without the residual index criterion 1 cannot fail; the grade is then as far as the
    // other criteria go, and the result says criterion 1 was not checked.
    check.holds = check.criterion1.value_or(true) && check.criterion2.value_or(false) && r.enoughPoints &&
                  r.extraneousLimitHolds && !r.negativePower;
    return check;
}

void Advise(SurveyBandPower& r)
{
    if (r.negativePower) {
        r.adviceRu.push_back(CoreText("SoundPower", "Поток мощности через поверхность отрицателен: внешний "
                                                    "источник сильнее измеряемого; экранируйте его или "
                                                    "приблизьте поверхность к источнику."));
        r.adviceEn.push_back("The power through the surface is negative: extraneous noise dominates; "
                             "screen it or move the surface closer to the source.");
    }
    if (r.criterion1 && !*r.criterion1) {
        r.adviceRu.push_back(CoreText("SoundPower",
                                      "Поле слишком реактивно для зонда (F2 больше динамического "
                                      "диапазона): приблизьте поверхность к источнику, уменьшите "
                                      "внешний шум или возьмите зонд с большим остаточным индексом."));
        r.adviceEn.push_back("The field is too reactive for the probe (F2 above its dynamic capability): "
                             "move the surface closer, reduce extraneous noise or use a probe with a "
                             "higher residual index.");
    }
    if (r.criterion2 && !*r.criterion2) {
        r.adviceRu.push_back(CoreText("SoundPower", "Поле слишком неоднородно для числа точек (N не больше "
                                                    "C·F4²): добавьте точки, равномерно по поверхности."));
        r.adviceEn.push_back("The field is too uneven for the number of points (N not above C F4^2): "
                             "add points, spread evenly over the surface.");
    }
    if (!r.enoughPoints) {
        r.adviceRu.push_back(CoreText("SoundPower", "Меньше 10 точек: добавьте точки."));
        r.adviceEn.push_back("Fewer than 10 points: add points.");
    }
    if (!r.extraneousLimitHolds) {
        r.adviceRu.push_back(CoreText("SoundPower", "Сильный внешний поток через поверхность (F3 − F2 больше "
                                                    "3 дБ): экранируйте внешние источники или приблизьте "
                                                    "поверхность к источнику."));
        r.adviceEn.push_back("Strong extraneous intensity through the surface (F3 - F2 above 3 dB): "
                             "screen extraneous sources or move the surface closer.");
    }
}

std::string Trim(const std::string& text)
{
    size_t begin = 0, end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    return text.substr(begin, end - begin);
}

std::vector<std::string> SplitCsv(const std::string& line)
{
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (quoted) {
            if (ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (ch == '"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == '"') {
            quoted = true;
        } else if (ch == ',') {
            fields.push_back(Trim(field));
            field.clear();
        } else {
            field += ch;
        }
    }
    fields.push_back(Trim(field));
    return fields;
}

std::optional<double> Number(const std::string& text)
{
    if (text.empty())
        return std::nullopt;
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    if (!in || !in.eof() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<std::array<double, 3>> FaceNormal(std::string face)
{
    std::transform(face.begin(), face.end(), face.begin(), [](unsigned char c) { return std::tolower(c); });
    static const std::map<std::string, std::array<double, 3>> faces = {
        {"+x", {1, 0, 0}},    {"-x", {-1, 0, 0}},   {"+y", {0, 1, 0}},   {"-y", {0, -1, 0}},
        {"+z", {0, 0, 1}},    {"-z", {0, 0, -1}},   {"top", {0, 0, 1}},  {"front", {1, 0, 0}},
        {"back", {-1, 0, 0}}, {"left", {0, -1, 0}}, {"right", {0, 1, 0}}};
    const auto it = faces.find(face);
    if (it == faces.end())
        return std::nullopt;
    return it->second;
}

}   // namespace

std::optional<double> SurveyFactorC(double nominal, int fraction, bool aWeightedTotal, int grade)
{
    if (aWeightedTotal)
        return grade == 3 ? std::optional<double>(8.0) : std::nullopt;
    if (grade != 1 && grade != 2)
        return std::nullopt;
    const bool precision = grade == 1;
    // Band limits of the four rows, as nominal frequencies of the octave and third-octave bands.
    const double lo = fraction == 1 ? 63.0 : 50.0;
    if (nominal < lo * 0.99 || nominal > 6300.0 * 1.01)
        return std::nullopt;
    if (nominal <= (fraction == 1 ? 125.0 : 160.0) * 1.01)
        return precision ? 19.0 : 11.0;
    if (nominal <= (fraction == 1 ? 500.0 : 630.0) * 1.01)
        return precision ? 29.0 : 19.0;
    if (nominal <= (fraction == 1 ? 4000.0 : 5000.0) * 1.01)
        return precision ? 57.0 : 29.0;
    if (fraction == 3)
        return precision ? 19.0 : 14.0;   // 6.3 kHz
    return std::nullopt;
}

std::vector<int> SurveyRepeatedPoints(const std::vector<SurveyPoint>& points)
{
    std::map<std::string, int> first;
    std::vector<int> repeated;
    for (size_t i = 0; i < points.size(); ++i) {
        // A point naming no recording repeats none (it is a position given by its numbers alone).
        if (points[i].file.empty()) {
            repeated.push_back(-1);
            continue;
        }
        const std::string key = std::filesystem::path(points[i].file).lexically_normal().string();
        const auto [it, added] = first.emplace(key, static_cast<int>(i));
        repeated.push_back(added ? -1 : it->second);
    }
    return repeated;
}

size_t SurveyDistinctPositions(const std::vector<SurveyPoint>& points)
{
    const std::vector<int> repeated = SurveyRepeatedPoints(points);
    return static_cast<size_t>(std::count(repeated.begin(), repeated.end(), -1));
}

SurveyBandPower ComputeBandPower(const std::vector<SurveyPoint>& points, const SurveyBandInput& band,
                                 std::optional<double> residualIndexDb)
{
    SurveyBandPower r;
    const size_t n = std::min({points.size(), band.intensity.size(), band.pressureLevelDb.size()});
    double sumSquares = 0.0, sumAbs = 0.0, sumSigned = 0.0;
    for (size_t i = 0; i < n; ++i) {
        const auto& I = band.intensity[i];
        const auto& normal = points[i].normal;
        const double In = I[0] * normal[0] + I[1] * normal[1] + I[2] * normal[2];
        r.normalIntensity.push_back(In);
        r.partialPower.push_back(In * points[i].area);
        r.totalPower += In * points[i].area;
        sumSquares += std::pow(10.0, band.pressureLevelDb[i] / 10.0);
        sumAbs += std::fabs(In);
        sumSigned += In;
    }
    r.negativePower = !(r.totalPower > 0);
    if (!r.negativePower)
        r.powerLevelDb = Level(r.totalPower / kReferencePower);
    if (n == 0)
        return r;
    const double N = static_cast<double>(n);
    const double mean = sumSigned / N;
    r.meanPressureLevelDb = Level(sumSquares / N);
    r.F2 = r.meanPressureLevelDb - Level(sumAbs / N / kReferenceIntensity);
    r.negativeMeanIntensity = mean < 0;
    r.F3 = r.meanPressureLevelDb - Level(std::fabs(mean) / kReferenceIntensity);
    double spread = 0.0;
    for (double In : r.normalIntensity)
        spread += (In - mean) * (In - mean);
    r.F4 = n > 1 ? std::sqrt(spread / (N - 1)) / std::fabs(mean) : 0.0;
    r.positions = SurveyDistinctPositions(
        n == points.size()
            ? points
            : std::vector<SurveyPoint>(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(n)));
    r.enoughPoints = r.positions >= static_cast<size_t>(kMinimumPoints);
    r.extraneousLimitHolds = r.F3 - r.F2 <= kExtraneousLimitDb;

    const std::vector<int> grades = band.aWeightedTotal ? std::vector<int>{3} : std::vector<int>{1, 2};
    GradeCheck last;
    for (int grade : grades) {
        last = Check(r, band, residualIndexDb, grade, r.positions);
        if (last.holds) {
            r.grade = static_cast<SurveyGrade>(grade);
            break;
        }
    }
    r.criterion1 = last.criterion1;
    r.criterion2 = last.criterion2;
    r.dynamicCapabilityDb = last.dynamicCapability;
    if (r.grade == SurveyGrade::None)
        Advise(r);
    return r;
}

std::string ParseSurveyCsv(const std::string& text, std::vector<SurveyPoint>& points)
{
    points.clear();
    std::istringstream in(text);
    std::string line;
    int number = 0;
    std::vector<std::string> header;
    while (std::getline(in, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (number == 1 && line.rfind("\xEF\xBB\xBF", 0) == 0)
            line.erase(0, 3);   // a byte-order mark from a spreadsheet
        const std::string trimmed = Trim(line);
        if (trimmed.empty() || trimmed[0] == '#')
            continue;
        std::vector<std::string> fields = SplitCsv(line);
        if (header.empty()) {
            for (auto& f : fields)
                std::transform(f.begin(), f.end(), f.begin(),
                               [](unsigned char c) { return std::tolower(c); });
            header = fields;
            const bool vectors = header.size() >= 5 && header[0] == "file" && header[1] == "area" &&
                                 header[2] == "nx" && header[3] == "ny" && header[4] == "nz";
            const bool faces =
                header.size() >= 3 && header[0] == "file" && header[1] == "area" && header[2] == "face";
            if (!vectors && !faces)
                return "line " + std::to_string(number) +
                       ": the header must be file,area,nx,ny,nz[,label] or file,area,face[,label]";
            continue;
        }
        const bool faces = header[2] == "face";
        const size_t required = faces ? 3 : 5;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (fields.size() < required)
            return where + "expected " + std::to_string(required) + " fields, found " +
                   std::to_string(fields.size());
        SurveyPoint point;
        point.file = fields[0];
        if (point.file.empty())
            return where + "no file";
        const std::optional<double> area = Number(fields[1]);
        if (!area || !IsValidSurveyArea(*area))
            return where + "the area must be a positive number of square metres, at most " +
                   SurveyAreaMaxText() + ", not \"" + fields[1] + "\"";
        point.area = *area;
        if (faces) {
            const auto normal = FaceNormal(fields[2]);
            if (!normal)
                return where + "unknown face \"" + fields[2] +
                       "\" (+x, -x, +y, -y, +z, -z, top, front, back, left, right)";
            point.normal = *normal;
        } else {
            for (int k = 0; k < 3; ++k) {
                const std::optional<double> v = Number(fields[static_cast<size_t>(2 + k)]);
                if (!v)
                    return where + "the normal's components must be numbers, not \"" +
                           fields[static_cast<size_t>(2 + k)] + "\"";
                point.normal[static_cast<size_t>(k)] = *v;
            }
            if (!NormaliseSurveyNormal(point.normal))
                return where + "the normal has no direction (its length must be a normal, finite number)";
        }
        if (fields.size() > required)
            point.label = fields[required];
        points.push_back(point);
    }
    if (header.empty())
        return "the survey file is empty";
    if (points.empty())
        return "the survey holds no point";
    return {};
}
