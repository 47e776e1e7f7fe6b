// Quadratic-fit peak detector.
#include "PeakDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct Peak {
    double location, amplitude, secondDerivative;
};

// Runs the detector and hands back its entries, releasing the arrays.
std::vector<Peak> Detect(const std::vector<double>& data, double threshold, int width, int polarity,
                         bool finalBlock, int* status = nullptr)
{
    PeakList list;
    const int s =
        DetectPeaks(data.data(), static_cast<int>(data.size()), threshold, width, polarity, finalBlock, list);
    if (status != nullptr) {
        *status = s;
    }
    std::vector<Peak> out;
    for (int i = 0; i < list.count; ++i) {
        out.push_back({list.locations[i], list.amplitudes[i], list.secondDerivatives[i]});
    }
    ReleasePeakList(list);
    EXPECT_EQ(list.locations, nullptr);
    return out;
}

void ExpectPeaks(const std::vector<Peak>& got, const std::vector<Peak>& expected)
{
    ASSERT_EQ(got.size(), expected.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_NEAR(got[i].location, expected[i].location, 1e-12) << "peak " << i;
        EXPECT_NEAR(got[i].amplitude, expected[i].amplitude, 1e-12) << "peak " << i;
        EXPECT_NEAR(got[i].secondDerivative, expected[i].secondDerivative, 1e-12) << "peak " << i;
    }
}

TEST(DetectPeaks, LastWindowOnlyInAFinalBlock)
{
    const std::vector<double> data = {0, 1, 0, 2, 0, 3, 0, 1, 0};
    ExpectPeaks(Detect(data, 0.1, 3, kPeaks, false), {{1, 1, -2}, {3, 2, -4}, {5, 3, -6}});
    ExpectPeaks(Detect(data, 0.1, 3, kPeaks, true), {{1, 1, -2}, {3, 2, -4}, {5, 3, -6}, {7, 1, -2}});

    const std::vector<double> three = {0, 1, 0};
    EXPECT_TRUE(Detect(three, 0.1, 3, kPeaks, false).empty());
    ExpectPeaks(Detect(three, 0.1, 3, kPeaks, true), {{1, 1, -2}});
}

TEST(DetectPeaks, SubSampleVertex)
{
    const std::vector<double> data = {0, 0, 0.9, 1, 0, 0, 0};
    // Window centred on sample 3: c1 = -0.45, c2 = -0.55, so e = -0.45/1.1.
    const double e = -0.45 / 1.1;
    ExpectPeaks(Detect(data, 0.1, 3, kPeaks, false), {{3 + e, 1 + e * (-0.45 - 0.55 * e), -1.1}});
}

TEST(DetectPeaks, ThresholdIsStrict)
{
    const std::vector<double> data = {0, 1, 0, 2, 0, 0};
    ExpectPeaks(Detect(data, 1.0, 3, kPeaks, false), {{3, 2, -4}});
    ExpectPeaks(Detect(data, 0.999, 3, kPeaks, false), {{1, 1, -2}, {3, 2, -4}});
}

TEST(DetectPeaks, ValleysMirrorPeaks)
{
    const std::vector<double> data = {0, -1, 0, -2, 0, -3, 0, 0};
    ExpectPeaks(Detect(data, -0.1, 3, kValleys, false), {{1, -1, 2}, {3, -2, 4}, {5, -3, 6}});
    EXPECT_TRUE(Detect(data, 0.5, 3, kPeaks, false).empty());   // the 0s between fit about 0.04
}

// Three-point peaks skip the windows that cannot reach the threshold; the valley search fits
// every window, so on the negated data it must find the same extrema bit for bit, whatever
// the threshold relative to the vertices (just under, just over, far away).
TEST(DetectPeaks, SkippingLowWindowsLosesNoPeak)
{
    std::vector<double> data(4000);
    unsigned state = 12345;
    for (size_t i = 0; i < data.size(); ++i) {
        state = state * 1103515245u + 12345u;
        const double noise = (state >> 8) / double(1u << 24);
        data[i] = noise * (i % 97 == 0 ? 40.0 : 1.0) + (i % 500 == 250 ? 100.0 : 0.0);
    }
    std::vector<double> negated(data.size());
    for (size_t i = 0; i < data.size(); ++i)
        negated[i] = -data[i];
    std::vector<double> thresholds = {-1.0, 0.0, 0.5, 0.99, 1.0, 1.01, 30.0, 99.9, 1000.0};
    // The vertices themselves as thresholds: a bound one rounding too low would lose them.
    for (const Peak& p : Detect(data, 0.0, 3, kPeaks, true))
        if (thresholds.size() < 60)
            thresholds.push_back(p.amplitude * (1.0 - 1e-15));
    for (const double threshold : thresholds) {
        const std::vector<Peak> peaks = Detect(data, threshold, 3, kPeaks, true);
        const std::vector<Peak> valleys = Detect(negated, -threshold, 3, kValleys, true);
        ASSERT_EQ(peaks.size(), valleys.size()) << "threshold " << threshold;
        for (size_t i = 0; i < peaks.size(); ++i) {
            EXPECT_EQ(peaks[i].location, valleys[i].location);
            EXPECT_EQ(peaks[i].amplitude, -valleys[i].amplitude);
            EXPECT_EQ(peaks[i].secondDerivative, -valleys[i].secondDerivative);
        }
    }
}

// Neighbouring windows whose vertices meet at 2.5 describe one extremum: the later fit
// replaces the earlier only when it is higher.
TEST(DetectPeaks, CoincidingVerticesMergeKeepingTheHigher)
{
    // Windows (1,9,9) and (9,9,0): heights 10 and 10.125.
    ExpectPeaks(Detect({6, 1, 9, 9, 0, 1}, 0.5, 3, kPeaks, true), {{2.5, 10.125, -9.0}});
    // Windows (0,6,6) and (6,6,3): heights 6.75 and 6.375, the first stays.
    ExpectPeaks(Detect({6, 0, 6, 6, 3, 1}, 0.5, 3, kPeaks, true), {{2.5, 6.75, -6.0}});
}

// Width 5 uses the least-squares fit and the slope-sign change: a sampled parabola is
// recovered exactly.
TEST(DetectPeaks, WideWindowRecoversASampledParabola)
{
    std::vector<double> data;
    for (int i = 0; i < 40; ++i) {
        const double t = i - 20.3;
        data.push_back(10.0 - 0.02 * t * t);
    }
    ExpectPeaks(Detect(data, 0.0, 5, kPeaks, false), {{20.3, 10.0, -0.04}});
}

TEST(DetectPeaks, ArgumentChecksAndShortBlocks)
{
    int status = 1;
    EXPECT_TRUE(Detect({0, 1, 0, 2, 0}, 0.1, 2, kPeaks, true, &status).empty());
    EXPECT_EQ(status, kPeakWidthTooSmall);
    EXPECT_TRUE(Detect({0, 1, 0}, 0.1, (1 << 30) + 1, kPeaks, true, &status).empty());
    EXPECT_EQ(status, kPeakWidthTooLarge);
    for (size_t n : {0u, 1u, 2u}) {
        std::vector<double> data(n, 1.0);
        for (bool finalBlock : {false, true}) {
            EXPECT_TRUE(Detect(data, 0.1, 3, kPeaks, finalBlock, &status).empty()) << n;
            EXPECT_EQ(status, 0) << n;
        }
    }
}

TEST(DetectPeaks, ReleasingTwiceIsHarmless)
{
    const std::vector<double> data = {0, 1, 0, 0};
    PeakList list;
    ASSERT_EQ(DetectPeaks(data.data(), 4, 0.1, 3, kPeaks, false, list), 0);
    ASSERT_EQ(list.count, 1);
    ReleasePeakArray(list.locations);
    ReleasePeakArray(list.locations);
    ReleasePeakList(list);
    ReleasePeakList(list);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.amplitudes, nullptr);
}

}   // namespace
