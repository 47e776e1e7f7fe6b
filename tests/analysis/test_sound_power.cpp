// Sound power from a survey: the published worked numbers, signs of inward points, the
// criteria and grade, the factor table, and the survey file's forms and refusals.
#include "SoundPower.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

std::vector<SurveyPoint> Points(size_t n, std::array<double, 3> normal = {0, 0, 1}, double area = 0.25)
{
    std::vector<SurveyPoint> points(n);
    for (auto& p : points) {
        p.area = area;
        p.normal = normal;
    }
    return points;
}

SurveyBandInput Band(const std::vector<double>& normalIntensity, const std::vector<double>& levels,
                     double nominal = 1000)
{
    SurveyBandInput band;
    band.nominal = nominal;
    for (double In : normalIntensity)
        band.intensity.push_back({0.3 * In, -0.2 * In, In});   // tangential parts do not count
    band.pressureLevelDb = levels;
    return band;
}

}   // namespace

TEST(SoundPower, PublishedWorkedNumbers)
{
    const SurveyBandInput band = Band({1.2e-5, 1.0e-5, 1.4e-5, 0.9e-5}, {74.1, 73.8, 74.5, 73.2});
    const SurveyBandPower r = ComputeBandPower(Points(4), band, 18.0);
    EXPECT_NEAR(r.F2, 3.41, 0.005);
    EXPECT_NEAR(r.F3, 3.41, 0.005);
    EXPECT_NEAR(r.F4, 0.197, 0.0005);
    ASSERT_TRUE(r.dynamicCapabilityDb);
    EXPECT_DOUBLE_EQ(*r.dynamicCapabilityDb, 8.0);   // grades 1 and 2: 18 - 10
    ASSERT_TRUE(r.powerLevelDb);
    EXPECT_NEAR(*r.powerLevelDb, 10 * std::log10(4.5e-5 * 0.25 / 1e-12), 1e-9);
    // Four points are fewer than ten: reported against the criteria, not refused.
    EXPECT_FALSE(r.enoughPoints);
    EXPECT_EQ(r.grade, SurveyGrade::None);
    EXPECT_FALSE(r.adviceRu.empty());
    EXPECT_EQ(r.adviceRu.size(), r.adviceEn.size());
}

TEST(SoundPower, InwardPointsCountNegativeAndAllInwardIsNegativePower)
{
    SurveyBandInput band = Band({1e-5, 1e-5, -0.5e-5}, {70, 70, 70});
    SurveyBandPower r = ComputeBandPower(Points(3), band, std::nullopt);
    EXPECT_LT(r.normalIntensity[2], 0);
    EXPECT_NEAR(r.totalPower, 1.5e-5 * 0.25, 1e-18);
    EXPECT_GT(r.F3, r.F2);   // the signed mean is smaller than the mean magnitude
    band = Band({-1e-5, -2e-5}, {70, 70});
    r = ComputeBandPower(Points(2), band, std::nullopt);
    EXPECT_TRUE(r.negativePower);
    EXPECT_FALSE(r.powerLevelDb);
    EXPECT_TRUE(r.negativeMeanIntensity);
    EXPECT_EQ(r.grade, SurveyGrade::None);
}

TEST(SoundPower, GradeFollowsTheCriteria)
{
    // Twelve points of a nearly uniform, nearly active field.
    std::vector<double> In, Lp;
    for (int i = 0; i < 12; ++i) {
        In.push_back(1e-4 * (1.0 + 0.05 * ((i % 3) - 1)));
        Lp.push_back(80.5);
    }
    SurveyBandPower r = ComputeBandPower(Points(12), Band(In, Lp), 20.0);
    EXPECT_EQ(r.grade, SurveyGrade::Precision);
    EXPECT_TRUE(r.criterion1.value() && r.criterion2.value());
    // A probe with a poor residual index passes no grade on criterion 1.
    r = ComputeBandPower(Points(12), Band(In, Lp), 8.0);
    EXPECT_EQ(r.grade, SurveyGrade::None);
    EXPECT_FALSE(r.criterion1.value());
    // Without the index criterion 1 is not checked, and the others decide.
    r = ComputeBandPower(Points(12), Band(In, Lp), std::nullopt);
    EXPECT_FALSE(r.criterion1);
    EXPECT_EQ(r.grade, SurveyGrade::Precision);
    // A very uneven field at 1 kHz: C F4^2 above N for grade 1, below for grade 2.
    std::vector<double> uneven;
    for (int i = 0; i < 12; ++i)
        uneven.push_back(1e-4 * (i % 2 ? 1.6 : 0.5));
    r = ComputeBandPower(Points(12), Band(uneven, Lp), 20.0);
    // F4 = 0.547: 57 F4^2 = 17.1 > 12, 29 F4^2 = 8.7 < 12.
    EXPECT_NEAR(r.F4, 0.547, 0.001);
    EXPECT_EQ(r.grade, SurveyGrade::Engineering);
}

TEST(SoundPower, FactorCPerBandAndGrade)
{
    struct Row {
        double nominal;
        int fraction, grade;
        std::optional<double> c;
    };
    for (const Row& row : {Row{63, 1, 1, 19}, Row{125, 1, 2, 11}, Row{250, 1, 1, 29}, Row{500, 1, 2, 19},
                           Row{1000, 1, 1, 57}, Row{4000, 1, 2, 29}, Row{8000, 1, 1, std::nullopt},
                           Row{50, 3, 1, 19}, Row{160, 3, 2, 11}, Row{200, 3, 1, 29}, Row{630, 3, 2, 19},
                           Row{800, 3, 1, 57}, Row{5000, 3, 2, 29}, Row{6300, 3, 1, 19}, Row{6300, 3, 2, 14},
                           Row{40, 3, 1, std::nullopt}, Row{8000, 3, 2, std::nullopt}})
        EXPECT_EQ(SurveyFactorC(row.nominal, row.fraction, false, row.grade), row.c)
            << row.nominal << " 1/" << row.fraction << " grade " << row.grade;
    EXPECT_EQ(SurveyFactorC(0, 3, true, 3), 8.0);
    EXPECT_EQ(SurveyFactorC(0, 3, true, 1), std::nullopt);
}

TEST(SurveyFile, BothFormsParse)
{
    std::vector<SurveyPoint> points;
    ASSERT_EQ(ParseSurveyCsv("\xEF\xBB\xBF"
                             "file,area,nx,ny,nz,label\r\n"
                             "# front face\n"
                             "seg/p01.kvnb,0.25,0,0,2,top centre\n"
                             "\"seg/p,02.kvnb\",0.5,3,4,0\n",
                             points),
              "");
    ASSERT_EQ(points.size(), 2u);
    EXPECT_EQ(points[0].file, "seg/p01.kvnb");
    EXPECT_EQ(points[0].label, "top centre");
    EXPECT_EQ(points[0].normal, (std::array<double, 3>{0, 0, 1}));
    EXPECT_EQ(points[1].file, "seg/p,02.kvnb");
    EXPECT_NEAR(points[1].normal[0], 0.6, 1e-15);
    EXPECT_NEAR(points[1].normal[1], 0.8, 1e-15);
    ASSERT_EQ(ParseSurveyCsv("file,area,face\na.wav,1,-x\nb.wav,1,TOP\n", points), "");
    EXPECT_EQ(points[0].normal, (std::array<double, 3>{-1, 0, 0}));
    EXPECT_EQ(points[1].normal, (std::array<double, 3>{0, 0, 1}));
}

TEST(SurveyFile, MistakesAreNamedWithTheirLine)
{
    struct Case {
        const char* text;
        const char* expected;
    };
    for (const Case& c : {Case{"", "empty"}, Case{"file,area,nx,ny,nz\n", "no point"},
                          Case{"name,size\n", "line 1: the header"},
                          Case{"file,area,nx,ny,nz\na,0.1,0,0\n", "line 2: expected 5 fields"},
                          Case{"file,area,nx,ny,nz\na,-1,0,0,1\n", "line 2: the area"},
                          Case{"file,area,nx,ny,nz\na,1,0,0,0\n", "line 2: the normal has no direction"},
                          Case{"file,area,nx,ny,nz\n\na,1,x,0,1\n", "line 3: the normal's components"},
                          Case{"file,area,face\na,1,+w\n", "line 2: unknown face"},
                          Case{"file,area,face\n,1,+x\n", "line 2: no file"}}) {
        std::vector<SurveyPoint> points;
        const std::string error = ParseSurveyCsv(c.text, points);
        EXPECT_NE(error.find(c.expected), std::string::npos) << c.text << " -> " << error;
    }
}
