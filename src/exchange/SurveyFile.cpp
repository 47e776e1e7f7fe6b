#include "SurveyFile.h"

#include "FileText.h"
#include "IniFile.h"
#include "SettingLimits.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace {

// The faces a survey may name, as the CSV form reads them; the first of each direction is the
// name written.
const std::array<std::pair<const char*, std::array<double, 3>>, 11> kFaces = {{
    {"+x", {1, 0, 0}},
    {"-x", {-1, 0, 0}},
    {"+y", {0, 1, 0}},
    {"-y", {0, -1, 0}},
    {"+z", {0, 0, 1}},
    {"-z", {0, 0, -1}},
    {"top", {0, 0, 1}},
    {"front", {1, 0, 0}},
    {"back", {-1, 0, 0}},
    {"left", {0, -1, 0}},
    {"right", {0, 1, 0}},
}};

const char kFaceList[] = "+x, -x, +y, -y, +z, -z, top, front, back, left, right";

const std::array<double, 3>* faceNormal(std::string face)
{
    std::transform(face.begin(), face.end(), face.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const auto& [name, normal] : kFaces)
        if (face == name)
            return &normal;
    return nullptr;
}

// A survey has always written a normal's negative zero as "-0".
std::string shortest(double value)
{
    return ShortestNumber(value, SignedZero::Minus);
}

std::string csvField(const std::string& text)
{
    // Quoted where the reader would split, trim or pass the line over.
    const bool quote = text.find_first_of(",\"") != std::string::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' ' || text.front() == '#'));
    if (!quote)
        return text;
    std::string out = "\"";
    for (char ch : text)
        out += ch == '"' ? std::string("\"\"") : std::string(1, ch);
    return out + '"';
}

// The line of a byte offset, for a JSON syntax error.
int lineAt(const std::string& text, int offset)
{
    const auto end =
        text.begin() + std::clamp<std::ptrdiff_t>(offset, 0, static_cast<std::ptrdiff_t>(text.size()));
    return 1 + static_cast<int>(std::count(text.begin(), end, '\n'));
}

std::string readPoint(const QJsonValue& value, SurveyPoint& point)
{
    if (!value.isObject())
        return "must be an object {\"file\": ..., \"area\": ..., \"normal\" or \"face\": ...}";
    const QJsonObject object = value.toObject();
    const QJsonValue file = object.value("file");
    if (!file.isString() || file.toString().trimmed().isEmpty())
        return "\"file\" must name the point's recording";
    point.file = file.toString().toStdString();
    const QJsonValue area = object.value("area");
    if (!area.isDouble() || !IsValidSurveyArea(area.toDouble()))
        return "\"area\" must be a positive number of square metres, at most " + SurveyAreaMaxText();
    point.area = area.toDouble();
    const bool hasNormal = object.contains("normal"), hasFace = object.contains("face");
    if (hasNormal && hasFace)
        return "give \"normal\" or \"face\", not both";
    if (!hasNormal && !hasFace)
        return "needs \"normal\": [nx, ny, nz] or \"face\"";
    if (hasFace) {
        const QJsonValue face = object.value("face");
        const std::array<double, 3>* normal =
            face.isString() ? faceNormal(face.toString().toStdString()) : nullptr;
        if (!normal)
            return "\"face\" must be one of " + std::string(kFaceList);
        point.normal = *normal;
    } else {
        const QJsonValue normal = object.value("normal");
        const QJsonArray components = normal.toArray();
        if (!normal.isArray() || components.size() != 3 ||
            !std::all_of(components.begin(), components.end(),
                         [](const QJsonValue& v) { return v.isDouble(); }))
            return "\"normal\" must be three numbers [nx, ny, nz]";
        for (int k = 0; k < 3; ++k)
            point.normal[static_cast<size_t>(k)] = components.at(k).toDouble();
        if (!NormaliseSurveyNormal(point.normal))
            return "\"normal\" has no direction (its length must be a normal, finite number)";
    }
    if (object.contains("label")) {
        if (!object.value("label").isString())
            return "\"label\" must be a text";
        point.label = object.value("label").toString().toStdString();
    }
    return {};
}

}   // namespace

bool IsSurveyJson(const std::string& path, const std::string& text)
{
    std::string extension = path.size() >= 5 ? path.substr(path.size() - 5) : std::string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (extension == ".json")
        return true;
    size_t start = text.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0;
    start = text.find_first_not_of(" \t\r\n", start);
    return start != std::string::npos && text[start] == '{';
}

std::string ParseSurveyJson(const std::string& text, std::vector<SurveyPoint>& points, std::string* source)
{
    points.clear();
    if (source)
        source->clear();
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(text), &error);
    if (error.error != QJsonParseError::NoError)
        return "line " + std::to_string(lineAt(text, error.offset)) + ": not valid JSON (" +
               error.errorString().toStdString() + ")";
    if (!doc.isObject())
        return "the survey must be a JSON object {\"source\": ..., \"points\": [...]}";
    const QJsonObject survey = doc.object();
    if (survey.contains("source")) {
        if (!survey.value("source").isString())
            return "\"source\" must be a text";
        if (source)
            *source = survey.value("source").toString().toStdString();
    }
    if (!survey.value("points").isArray())
        return "\"points\" must be an array of the points";
    const QJsonArray list = survey.value("points").toArray();
    for (qsizetype i = 0; i < list.size(); ++i) {
        SurveyPoint point;
        if (std::string problem = readPoint(list.at(i), point); !problem.empty()) {
            points.clear();
            return "point " + std::to_string(i + 1) + ": " + problem;
        }
        points.push_back(std::move(point));
    }
    if (points.empty())
        return "the survey holds no point";
    return {};
}

std::string DecodeSurveyText(const std::string& bytes, bool& windows1251)
{
    windows1251 = !IsValidUtf8(bytes);
    return windows1251 ? Windows1251ToUtf8(bytes) : bytes;
}

std::string ParseSurveyText(const std::string& path, const std::string& bytes,
                            std::vector<SurveyPoint>& points, std::string* source, bool* windows1251)
{
    bool decoded = false;
    const std::string text = DecodeSurveyText(bytes, decoded);
    if (windows1251)
        *windows1251 = decoded;
    if (IsSurveyJson(path, text))
        return ParseSurveyJson(text, points, source);
    if (source)
        source->clear();
    return ParseSurveyCsv(text, points);
}

std::string SurveyToJson(const std::vector<SurveyPoint>& points, const std::string& source)
{
    QJsonArray list;
    for (const SurveyPoint& p : points) {
        QJsonObject object{{"file", QString::fromStdString(p.file)}, {"area", p.area}};
        if (const char* face = SurveyFaceName(p.normal))
            object.insert("face", face);
        else
            object.insert("normal", QJsonArray{p.normal[0], p.normal[1], p.normal[2]});
        if (!p.label.empty())
            object.insert("label", QString::fromStdString(p.label));
        list.append(object);
    }
    QJsonObject survey;
    if (!source.empty())
        survey.insert("source", QString::fromStdString(source));
    survey.insert("points", list);
    return QJsonDocument(survey).toJson(QJsonDocument::Indented).toStdString();
}

std::string SurveyToCsv(const std::vector<SurveyPoint>& points)
{
    const bool faces = std::all_of(points.begin(), points.end(),
                                   [](const SurveyPoint& p) { return SurveyFaceName(p.normal); });
    std::string out = faces ? "file,area,face,label\n" : "file,area,nx,ny,nz,label\n";
    for (const SurveyPoint& p : points) {
        out += csvField(p.file) + ',' + shortest(p.area) + ',';
        if (faces)
            out += SurveyFaceName(p.normal);
        else
            out += shortest(p.normal[0]) + ',' + shortest(p.normal[1]) + ',' + shortest(p.normal[2]);
        out += ',' + csvField(p.label) + '\n';
    }
    return out;
}

std::optional<std::array<double, 3>> SurveyFaceNormal(const std::string& face)
{
    const std::array<double, 3>* normal = faceNormal(face);
    return normal ? std::optional<std::array<double, 3>>(*normal) : std::nullopt;
}

const char* SurveyFaceName(const std::array<double, 3>& normal)
{
    for (const auto& [name, n] : kFaces)
        if (n == normal)
            return name;
    return nullptr;
}
