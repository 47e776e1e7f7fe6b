// Scaled windows and six-channel amplitude spectra.
#include "Settings.h"
#include "Spectra.h"
#include "Windows.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;

TEST(ApplyScaledWindow, HanningOnEightOnesIsHanningOverItsGain)
{
    std::vector<double> x(8, 1.0);
    WindowConstants c;
    ASSERT_EQ(ApplyScaledWindow(x.data(), 8, kWindowHanning, c), kAnalysisOk);
    const double r = std::sqrt(0.5);
    const double expected[] = {0.0, 1.0 - r, 1.0, 1.0 + r, 2.0, 1.0 + r, 1.0, 1.0 - r};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(x[i], expected[i], 1e-15) << "i=" << i;
    }
    EXPECT_EQ(c.cg, 0.5);
    EXPECT_EQ(c.enbw, 1.5);
}

TEST(ApplyScaledWindow, UnknownTypesLeaveDataAndReportUnitConstants)
{
    for (int type : {0, 10, -1, 1000}) {
        std::vector<double> x = {1.5, -2.0, 3.25};
        WindowConstants c{7.0, 7.0};
        ASSERT_EQ(ApplyScaledWindow(x.data(), 3, type, c), kAnalysisOk) << type;
        EXPECT_EQ(x, (std::vector<double>{1.5, -2.0, 3.25})) << type;
        EXPECT_EQ(c.cg, 1.0) << type;
        EXPECT_EQ(c.enbw, 1.0) << type;
    }
}

TEST(ApplyScaledWindow, CountChecks)
{
    double x[] = {5.0};
    WindowConstants c;
    EXPECT_EQ(ApplyScaledWindow(x, -1, kWindowHanning, c), kWindowBadCount);
    EXPECT_EQ(ApplyScaledWindow(x, 0, kWindowHanning, c), kAnalysisOk);
    EXPECT_EQ(x[0], 5.0);
}

// Every cosine-sum window in its periodic form: the mean of the weights is the coherent
// gain (so the scaled window averages 1), the weights are symmetric about N/2, and
// N * sum(w^2) / sum(w)^2 is the tabulated ENBW (to 0.3%: the Hamming entry is the
// customary rounded 1.36 for 1.3628).
TEST(ApplyScaledWindow, EveryTypeMatchesItsConstants)
{
    for (int n : {64, 1000, 999}) {
        for (int type = 0; type <= 9; ++type) {
            std::vector<double> w(n, 1.0);
            WindowConstants c;
            ASSERT_EQ(ApplyScaledWindow(w.data(), n, type, c), kAnalysisOk);
            double sum = 0.0;
            double sum2 = 0.0;
            for (int i = 0; i < n; ++i) {
                const double raw = w[i] * c.cg;
                sum += raw;
                sum2 += raw * raw;
            }
            EXPECT_NEAR(sum / n, 1.0 * c.cg, 1e-9) << "type " << type << " N=" << n;
            EXPECT_NEAR(n * sum2 / (sum * sum), c.enbw, 3e-3 * c.enbw) << "type " << type << " N=" << n;
            for (int i = 1; i < n; ++i) {
                EXPECT_NEAR(w[i], w[n - i], 1e-13) << "type " << type << " N=" << n << " i=" << i;
            }
        }
    }
}

// Weights made once and applied to each channel give the in-place products bit for bit, for
// every list item (those past the list too), odd and even lengths and the degenerate ones.
TEST(WindowWeights, MatchApplyingTheWindowInPlace)
{
    for (const int n : {0, 1, 2, 3, 8, 1001}) {
        std::vector<double> x(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            x[static_cast<size_t>(i)] = std::sin(0.37 * i) + 0.1 * i;
        for (int item = 0; item <= 12; ++item) {
            std::vector<double> inPlace = x;
            WindowConstants expected;
            ASSERT_EQ(ApplyWindowListItem(inPlace.data(), n, item, expected), kAnalysisOk);
            WindowWeights weights;
            ASSERT_EQ(MakeWindowWeights(n, item, weights), kAnalysisOk);
            std::vector<double> out(static_cast<size_t>(n), -1.0);
            ApplyWindowWeights(weights, x.data(), out.data());
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(out[static_cast<size_t>(i)], inPlace[static_cast<size_t>(i)])
                    << "N " << n << " item " << item << " sample " << i;
            EXPECT_EQ(weights.constants.enbw, expected.enbw);
            EXPECT_EQ(weights.constants.cg, expected.cg);
        }
    }
    WindowWeights weights;
    EXPECT_EQ(MakeWindowWeights(-1, 2, weights), kWindowBadCount);
}

TEST(ApplyWindowListItem, MapsTheListOntoWeightings)
{
    const int n = 16;
    // Item 0: nothing; item 1: triangle; items 2 ... 7: types 1 ... 6.
    std::vector<double> none(n, 1.0);
    WindowConstants c;
    ASSERT_EQ(ApplyWindowListItem(none.data(), n, kWindowItemNone, c), kAnalysisOk);
    EXPECT_EQ(none, std::vector<double>(n, 1.0));
    EXPECT_EQ(c.cg, 1.0);

    std::vector<double> triangle(n, 1.0);
    ASSERT_EQ(ApplyWindowListItem(triangle.data(), n, kWindowItemTriangular, c), kAnalysisOk);
    EXPECT_EQ(c.cg, 0.5);
    EXPECT_NEAR(c.enbw, 4.0 / 3.0, 1e-15);
    for (int i = 0; i < n; ++i) {
        EXPECT_NEAR(triangle[i], 2.0 * (1.0 - std::fabs(2.0 * i / n - 1.0)), 1e-15) << i;
    }
    EXPECT_NEAR(std::accumulate(triangle.begin(), triangle.end(), 0.0) / n, 1.0, 1e-15);

    for (int item = 2; item <= 7; ++item) {
        std::vector<double> viaList(n, 1.0);
        std::vector<double> direct(n, 1.0);
        WindowConstants a, b;
        ApplyWindowListItem(viaList.data(), n, item, a);
        ApplyScaledWindow(direct.data(), n, item - 1, b);
        EXPECT_EQ(viaList, direct) << item;
        EXPECT_EQ(a.cg, b.cg) << item;
    }
}

class AmplitudeSpectra : public ::testing::Test {
protected:
    static constexpr int kN = 64;

    void SetUp() override { saved_ = CurrentSettings(); }
    void TearDown() override { CurrentSettings() = saved_; }

    // Channel k holds amplitude (k+1) * base on bin m, plus an offset.
    void Fill(int m, double offset)
    {
        for (int k = 0; k < 6; ++k) {
            channels_[k].assign(kN, 0.0);
            spectra_[k].assign(kN / 2, -1.0);
            for (int t = 0; t < kN; ++t) {
                channels_[k][t] = offset + (k + 1) * std::sin(2.0 * kPi * m * t / kN + 0.3);
            }
            in_[k] = channels_[k].data();
            out_[k] = spectra_[k].data();
        }
    }

    Settings saved_;
    std::array<std::vector<double>, 6> channels_;
    std::array<std::vector<double>, 6> spectra_;
    const double* in_[6] = {};
    double* out_[6] = {};
};

TEST_F(AmplitudeSpectra, SinusoidOnABinReadsItsAmplitudeWithAndWithoutHanning)
{
    CurrentSettings().impuls = 1;
    const int m = 5;
    Fill(m, 0.0);
    const std::array<std::vector<double>, 6> before = channels_;
    EXPECT_FALSE(ComputeAmplitudeSpectra(
        kN, kWindowItemNone, CurrentSettings().impuls == Settings::kImpulsPeriodic, 123.0, in_, out_));
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(spectra_[k][m], k + 1.0, 1e-12) << k;
        EXPECT_NEAR(spectra_[k][m + 1], 0.0, 1e-12) << k;
    }
    EXPECT_EQ(channels_, before);   // inputs untouched

    const int hanningItem = 2;
    EXPECT_FALSE(ComputeAmplitudeSpectra(
        kN, hanningItem, CurrentSettings().impuls == Settings::kImpulsPeriodic, 123.0, in_, out_));
    for (int k = 0; k < 6; ++k) {
        EXPECT_NEAR(spectra_[k][m], k + 1.0, 1e-12) << k;
        EXPECT_NEAR(spectra_[k][m - 1], 0.5 * (k + 1.0), 1e-12) << k;
        EXPECT_NEAR(spectra_[k][m + 1], 0.5 * (k + 1.0), 1e-12) << k;
        EXPECT_NEAR(spectra_[k][m + 3], 0.0, 1e-12) << k;
    }
}

TEST_F(AmplitudeSpectra, PeriodicClearsDcButImpulseKeepsItScaled)
{
    Fill(3, 2.0);
    CurrentSettings().impuls = 1;
    ComputeAmplitudeSpectra(kN, kWindowItemNone, CurrentSettings().impuls == Settings::kImpulsPeriodic, 0.5,
                            in_, out_);
    EXPECT_EQ(spectra_[0][0], 0.0);

    // Impulse: no window whatever the item, and every bin scaled by 2 * scale / N.
    CurrentSettings().impuls = 0;
    const double scale = 0.25;
    EXPECT_FALSE(ComputeAmplitudeSpectra(kN, 3, CurrentSettings().impuls == Settings::kImpulsPeriodic, scale,
                                         in_, out_));
    EXPECT_NEAR(spectra_[0][0], 2.0 * (kN * 2.0) * scale / kN, 1e-12);
    EXPECT_NEAR(spectra_[2][3], 3.0 * scale, 1e-12);
    EXPECT_NEAR(spectra_[2][4], 0.0, 1e-12);
}

TEST_F(AmplitudeSpectra, TriangularItemWeightsTheSignal)
{
    CurrentSettings().impuls = 1;
    Fill(6, 0.0);
    ComputeAmplitudeSpectra(kN, kWindowItemTriangular, CurrentSettings().impuls == Settings::kImpulsPeriodic,
                            1.0, in_, out_);
    // A bin-centred sinusoid keeps its amplitude; the triangle's leakage into the next
    // bin, |W(1)| / W(0) for the periodic triangle, is 4/pi^2.
    EXPECT_NEAR(spectra_[0][6], 1.0, 1e-12);
    EXPECT_NEAR(spectra_[0][7], 4.0 / (kPi * kPi), 2e-3);
    EXPECT_NEAR(spectra_[0][8], 0.0, 1e-12);   // even offsets vanish for the periodic triangle
}

TEST_F(AmplitudeSpectra, TooShortFillsNothing)
{
    Fill(1, 0.0);
    EXPECT_FALSE(
        ComputeAmplitudeSpectra(1, 2, CurrentSettings().impuls == Settings::kImpulsPeriodic, 1.0, in_, out_));
    EXPECT_FALSE(
        ComputeAmplitudeSpectra(0, 2, CurrentSettings().impuls == Settings::kImpulsPeriodic, 1.0, in_, out_));
    EXPECT_EQ(spectra_[0][0], -1.0);
}

}   // namespace
