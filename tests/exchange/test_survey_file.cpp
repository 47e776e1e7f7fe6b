// The survey's two written forms: the JSON form reads into the same points as the CSV form, each
// wrong point is refused with its number and field, and what is written reads back unchanged.
#include "SurveyFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

void expectSamePoints(const std::vector<SurveyPoint>& a, const std::vector<SurveyPoint>& b)
{
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        EXPECT_EQ(a[i].file, b[i].file) << i;
        EXPECT_EQ(a[i].label, b[i].label) << i;
        EXPECT_DOUBLE_EQ(a[i].area, b[i].area) << i;
        for (size_t k = 0; k < 3; ++k)
            EXPECT_DOUBLE_EQ(a[i].normal[k], b[i].normal[k]) << i << ' ' << k;
    }
}

}   // namespace

TEST(SurveyFile, JsonReadsAsTheCsvForm)
{
    const std::string json =
        "\xEF\xBB\xBF  {\"source\": \"Компрессор К-2\", \"points\": [\n"
        "  {\"file\": \"seg/p1.kvnb\", \"area\": 0.25, \"face\": \"TOP\", \"label\": \"верх 1\"},\n"
        "  {\"file\": \"seg/p2.kvnb\", \"area\": 0.5, \"normal\": [3, 0, 4]}]}";
    const std::string csv =
        "file,area,nx,ny,nz,label\nseg/p1.kvnb,0.25,0,0,1,верх 1\nseg/p2.kvnb,0.5,3,0,4\n";
    std::vector<SurveyPoint> fromJson, fromCsv;
    std::string source;
    ASSERT_EQ(ParseSurveyText("survey.txt", json, fromJson, &source), "");
    EXPECT_EQ(source, "Компрессор К-2");
    ASSERT_EQ(ParseSurveyText("survey.csv", csv, fromCsv, &source), "");
    EXPECT_EQ(source, "");
    expectSamePoints(fromJson, fromCsv);
    EXPECT_DOUBLE_EQ(fromJson[1].normal[2], 0.8);

    // The name alone says JSON; a CSV survey never starts with a brace.
    EXPECT_TRUE(IsSurveyJson("points.JSON", ""));
    EXPECT_FALSE(IsSurveyJson("points.csv", "file,area,face\n"));
}

TEST(SurveyFile, EachWrongPointIsNamedWithItsField)
{
    const auto survey = [](const std::string& point) {
        return "{\"points\": [{\"file\": \"a.kvnb\", \"area\": 1, \"face\": \"+x\"}, " + point + "]}";
    };
    struct Case {
        std::string text;
        const char* says;
    };
    const Case cases[] = {
        {"{\"points\": [\n{\"file\": \"a\",\n}]}", "line 3: not valid JSON"},
        {"[1, 2]", "must be a JSON object"},
        {"{\"source\": 5, \"points\": []}", "\"source\" must be a text"},
        {"{\"point\": []}", "\"points\" must be an array"},
        {"{\"points\": []}", "holds no point"},
        {survey("7"), "point 2: must be an object"},
        {survey("{\"area\": 1, \"face\": \"+x\"}"), "point 2: \"file\""},
        {survey("{\"file\": \" \", \"area\": 1, \"face\": \"+x\"}"), "point 2: \"file\""},
        {survey("{\"file\": \"b\", \"area\": \"1\", \"face\": \"+x\"}"), "point 2: \"area\""},
        {survey("{\"file\": \"b\", \"area\": 0, \"face\": \"+x\"}"), "point 2: \"area\""},
        {survey("{\"file\": \"b\", \"area\": 1}"), "point 2: needs \"normal\""},
        {survey("{\"file\": \"b\", \"area\": 1, \"face\": \"+x\", \"normal\": [1, 0, 0]}"), "not both"},
        {survey("{\"file\": \"b\", \"area\": 1, \"face\": \"+w\"}"), "point 2: \"face\" must be one of"},
        {survey("{\"file\": \"b\", \"area\": 1, \"normal\": [1, 0]}"), "point 2: \"normal\" must be three"},
        {survey("{\"file\": \"b\", \"area\": 1, \"normal\": [1, \"0\", 0]}"),
         "point 2: \"normal\" must be three"},
        {survey("{\"file\": \"b\", \"area\": 1, \"normal\": [0, 0, 0]}"),
         "point 2: \"normal\" has no direction"},
        {survey("{\"file\": \"b\", \"area\": 1, \"face\": \"+x\", \"label\": 3}"), "point 2: \"label\""},
    };
    for (const Case& c : cases) {
        std::vector<SurveyPoint> points;
        const std::string error = ParseSurveyJson(c.text, points);
        EXPECT_NE(error.find(c.says), std::string::npos) << c.text << "\n -> " << error;
        EXPECT_TRUE(points.empty()) << c.text;
    }
}

TEST(SurveyFile, WrittenSurveysReadBackUnchanged)
{
    std::vector<SurveyPoint> points = {
        {"seg/p1.kvnb", 0.25, {0, 0, 1}, "верх 1"},
        {"seg/p,2 \"new\".kvnb", 1.0 / 3.0, {-1, 0, 0}, "#2, back"},
        {"/abs/p3.wav", 0.125, {0, -1, 0}, ""},
    };
    for (bool axes : {true, false}) {
        if (!axes)
            points.push_back({"p4.kvnb", 2.5e-3, {0.6, 0, -0.8}, "tilted"});
        SCOPED_TRACE(axes ? "faces" : "vectors");
        std::vector<SurveyPoint> back;
        std::string source;
        ASSERT_EQ(ParseSurveyText("s.json", SurveyToJson(points, "Насос"), back, &source), "");
        EXPECT_EQ(source, "Насос");
        expectSamePoints(back, points);

        const std::string csv = SurveyToCsv(points);
        EXPECT_EQ(csv.rfind(axes ? "file,area,face,label\n" : "file,area,nx,ny,nz,label\n", 0), 0u) << csv;
        ASSERT_EQ(ParseSurveyText("s.csv", csv, back), "") << csv;
        expectSamePoints(back, points);
    }
}
