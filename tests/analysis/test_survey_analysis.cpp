// A survey's band analyses to its power table: the worked numbers arrive through the band
// figures, a point not read is left out, only the bands every point has are tabulated, and the
// A-weighted total weighs each band's power.
#include "AWeighting.h"
#include "SurveyAnalysis.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One point's analysis: bands `indices` (one-third octaves), each with its normal intensity
// along +z (and a tangential part that must not count) and its pressure level.
BandAnalysis Analysis(const std::vector<int>& indices, double normalIntensity, double levelDb)
{
    BandAnalysis a;
    a.fraction = 3;
    for (int index : indices) {
        OctaveBand band;
        band.index = index;
        const BandEdges edges = FractionalOctaveBand(3, index);
        band.midHz = edges.midHz;
        band.nominalHz = NominalMidFrequency(3, index);
        band.label = std::to_string(static_cast<int>(band.nominalHz));
        band.figures.values.active = {0.4 * normalIntensity, -0.1 * normalIntensity, normalIntensity};
        band.figures.values.meanSquarePressure =
            kReferencePressure * kReferencePressure * std::pow(10.0, levelDb / 10.0);
        a.bands.push_back(band);
    }
    return a;
}

std::vector<SurveyPoint> Points(size_t n)
{
    std::vector<SurveyPoint> points(n);
    for (SurveyPoint& p : points) {
        p.area = 0.25;
        p.normal = {0, 0, 1};
    }
    return points;
}

}   // namespace

TEST(SurveyAnalysis, WorkedNumbersThroughTheBandFigures)
{
    const double In[] = {1.2e-5, 1.0e-5, 1.4e-5, 0.9e-5};
    const double Lp[] = {74.1, 73.8, 74.5, 73.2};
    std::vector<std::optional<BandAnalysis>> analyses;
    for (int i = 0; i < 4; ++i)
        analyses.push_back(Analysis({0}, In[i], Lp[i]));   // index 0: the 1 kHz band
    const SurveyPowerTable table = ComputeSurveyPower(Points(4), analyses, 18.0);
    ASSERT_EQ(table.rows.size(), 2u);   // the band and the A-weighted total
    const SurveyPowerRow& band = table.rows[0];
    EXPECT_EQ(band.nominal, 1000.0);
    EXPECT_FALSE(band.aWeightedTotal);
    EXPECT_NEAR(band.power.F2, 3.41, 0.005);
    EXPECT_NEAR(band.power.F3, 3.41, 0.005);
    EXPECT_NEAR(band.power.F4, 0.197, 0.0005);
    ASSERT_TRUE(band.power.powerLevelDb);
    EXPECT_NEAR(*band.power.powerLevelDb, 10 * std::log10(4.5e-5 * 0.25 / 1e-12), 1e-9);
    // At 1 kHz the A weighting is 0 dB: the total is the band.
    const SurveyPowerRow& total = table.rows[1];
    EXPECT_TRUE(total.aWeightedTotal);
    EXPECT_EQ(total.label, "total_A");
    EXPECT_NEAR(*total.power.powerLevelDb, *band.power.powerLevelDb, 0.01);
}

TEST(SurveyAnalysis, PointsNotReadAndBandsNotSharedAreLeftOut)
{
    // Bands -10 (100 Hz) ... 0 (1 kHz); the third point lacks the lowest, the second is not read.
    std::vector<std::optional<BandAnalysis>> analyses = {Analysis({-10, -5, 0}, 1e-4, 80), std::nullopt,
                                                         Analysis({-5, 0}, 3e-4, 80)};
    const SurveyPowerTable table = ComputeSurveyPower(Points(3), analyses, std::nullopt);
    EXPECT_EQ(table.pointsRead, (std::vector<size_t>{0, 2}));
    ASSERT_EQ(table.rows.size(), 3u);
    EXPECT_EQ(table.rows[0].nominal, 315.0);
    EXPECT_EQ(table.rows[1].nominal, 1000.0);
    EXPECT_EQ(table.rows[0].power.partialPower.size(), 2u);
    EXPECT_NEAR(table.rows[0].power.totalPower, (1e-4 + 3e-4) * 0.25, 1e-15);
    // Without the residual index criterion 1 is not checked.
    EXPECT_FALSE(table.rows[0].power.criterion1);
    // The A-weighted total: each shared band's power weighted by A at its mid frequency.
    const double expected = (1e-4 + 3e-4) * 0.25 *
                            (AWeightingPowerFactor(FractionalOctaveBand(3, -5).midHz) +
                             AWeightingPowerFactor(FractionalOctaveBand(3, 0).midHz));
    EXPECT_NEAR(table.rows[2].power.totalPower, expected, 1e-12);

    EXPECT_TRUE(ComputeSurveyPower(Points(2), {std::nullopt, std::nullopt}, 18.0).rows.empty());
    EXPECT_TRUE(ComputeSurveyPower(Points(2), {Analysis({-10}, 1e-4, 80), Analysis({0}, 1e-4, 80)}, 18.0)
                    .rows.empty());
}

TEST(SurveyAnalysis, GradeShortfallNamesTheCriteriaMissed)
{
    // Twelve points of a uniform, active field at 1 kHz: grade 1 while the probe is good enough.
    std::vector<std::optional<BandAnalysis>> analyses;
    for (int i = 0; i < 12; ++i)
        analyses.push_back(Analysis({0}, 1e-4 * (1.0 + 0.05 * (i % 3 - 1)), 80.0));
    SurveyPowerTable table = ComputeSurveyPower(Points(12), analyses, 20.0);
    ASSERT_EQ(table.rows.size(), 2u);
    EXPECT_EQ(table.rows[0].power.grade, SurveyGrade::Precision);
    for (int grade : {1, 2, 3})
        EXPECT_TRUE(SurveyGradeShortfall(table.rows[0], grade, 20.0).empty()) << grade;

    struct Case {
        double residualIndex;
        size_t points;
        int grade;
        std::vector<std::string> missed;
    };
    // A residual index of 8 dB leaves L_d = -2 dB for grades 1 and 2 and 1 dB for grade 3.
    const Case cases[] = {
        {8.0, 12, 2, {"L_d > F2"}},
        {8.0, 12, 3, {}},
        {20.0, 6, 1, {"N >= 10"}},
        {8.0, 6, 1, {"L_d > F2", "N >= 10"}},
    };
    for (const Case& c : cases) {
        analyses.resize(c.points);
        table = ComputeSurveyPower(Points(c.points), analyses, c.residualIndex);
        EXPECT_EQ(SurveyGradeShortfall(table.rows[0], c.grade, c.residualIndex), c.missed)
            << c.residualIndex << " dB, " << c.points << " points, grade " << c.grade;
    }
    // Inward power reaches no grade.
    const SurveyPowerTable inward = ComputeSurveyPower(Points(12), {12, Analysis({0}, -1e-4, 80.0)}, 20.0);
    EXPECT_EQ(SurveyGradeShortfall(inward.rows[0], 2, 20.0).front(), "P > 0");
}
