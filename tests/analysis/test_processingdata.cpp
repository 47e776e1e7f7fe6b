// Decisions of the processing window that need no screen: unit factors, dB, cursor grab,
// the Nyquist limit and the memory estimate.
#include "ProcessingData.h"

#include "NumberText.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

TEST(DisplayFactors, FollowUnitAndSource)
{
    const double volt = 0.00263;
    const std::array<double, 6> paPerVolt{1000, 500, 250, 100, 10, 1};
    struct Case {
        int unit;
        bool test;
        std::array<double, 6> expected;
    };
    const Case cases[] = {
        {kUnitPascal, true, {volt * 400, volt * 400, volt * 400, volt * 400, volt * 400, volt * 400}},
        {kUnitPascal, false, {volt * 1000, volt * 500, volt * 250, volt * 100, volt * 10, volt}},
        {kUnitVolt, true, {volt, volt, volt, volt, volt, volt}},
        {kUnitVolt, false, {volt, volt, volt, volt, volt, volt}},
        {kUnitSpectrum, false, {1, 1, 1, 1, 1, 1}},
        {kUnitSpectrum, true, {1, 1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        const auto f = DisplayFactors(c.unit, c.test, volt, paPerVolt);
        for (int k = 0; k < 6; ++k)
            EXPECT_DOUBLE_EQ(f[k], c.expected[k]) << "unit " << c.unit << " test " << c.test << " ch " << k;
    }
}

TEST(DbValue, ReferencePressureAndFloor)
{
    // v = 0.1220703125 x s / F; 20 log10(v / 2e-5).
    const double toV = 0.1220703125;
    EXPECT_NEAR(DbValue(1.0 / toV, 1.0), 20 * std::log10(1 / 2e-5), 1e-9);   // v = 1 -> 93.98 dB
    EXPECT_NEAR(DbValue(2.0 / toV, 2.0), 20 * std::log10(1 / 2e-5), 1e-9);
    EXPECT_NEAR(DbValue(0.0001 / toV, 1.0), 20 * (std::log10(0.0001) - std::log10(2e-5)), 1e-6);
    EXPECT_EQ(DbValue(0.00009 / toV, 1.0), 0.0);
    EXPECT_EQ(DbValue(0.0, 1.0), 0.0);
    EXPECT_EQ(DbValue(-5.0, 1.0), 0.0);
    EXPECT_EQ(DbValue(5.0, 0.0), 0.0);   // division by zero
    EXPECT_EQ(DbValue(std::nan(""), 1.0), 0.0);
}

TEST(CursorGrab, SecondCursorWinsWhenBothAreNear)
{
    EXPECT_EQ(CursorGrabTarget(true, 101, 100, 103, 8), 2);
    EXPECT_EQ(CursorGrabTarget(true, 100, 100, 300, 8), 1);
    EXPECT_EQ(CursorGrabTarget(true, 92, 100, 300, 8), 1);   // tolerance inclusive
    EXPECT_EQ(CursorGrabTarget(true, 91, 100, 300, 8), 0);
    EXPECT_EQ(CursorGrabTarget(true, 305, 100, 300, 8), 2);
    EXPECT_EQ(CursorGrabTarget(false, 100, 100, 300, 8), 0);
}

TEST(NyquistLimit, FromTheTimeAxis)
{
    const std::vector<double> t1000{0.0, 1.0 / 1000};
    EXPECT_EQ(NyquistLimit(t1000.data(), 2), 500);
    const std::vector<double> t1001{0.0, 1.0 / 1001};   // a test signal spaced by its odd rate
    EXPECT_EQ(NyquistLimit(t1001.data(), 2), 500);
    EXPECT_EQ(NyquistLimit(t1000.data(), 1), 0);
}

TEST(ProcessingMemory, EstimateGrowsWithCountAndNeverOverflows)
{
    EXPECT_EQ(ProcessingBytesNeeded(0), 0);
    const int64_t million = ProcessingBytesNeeded(1000000);
    EXPECT_GT(million, int64_t(300) * 1000000);   // a dozen arrays of 6 doubles and more
    EXPECT_LT(million, int64_t(1) << 30);         // fits the 1 GB the whole program may use
    EXPECT_GT(ProcessingBytesNeeded(1000000000), int64_t(100) << 30);
    EXPECT_EQ(ProcessingBytesNeeded(std::numeric_limits<int64_t>::max() / 2),
              std::numeric_limits<int64_t>::max());
    EXPECT_GT(AvailableMemoryBytes(), 0);
}

TEST(ProcessingMemory, RefusalNamesTheSizes)
{
    SetDecimalSeparator(',');
    const std::string text = MemoryRefusalText(1000000000, int64_t(400) << 30, int64_t(20) << 30);
    EXPECT_NE(text.find("1000000000"), std::string::npos) << text;
    EXPECT_NE(text.find("400,0 ГБ"), std::string::npos) << text;
    EXPECT_NE(text.find("20,0 ГБ"), std::string::npos) << text;
    const std::string small = MemoryRefusalText(10, 300 << 20, -1);
    EXPECT_NE(small.find("300 МБ"), std::string::npos) << small;
    EXPECT_EQ(small.find("доступно"), std::string::npos) << small;
}

namespace {

// Six channels over 8 samples at 0.5 s: channel c holds c + 1 + k * k (k the sample index).
ProcessingData Filled()
{
    ProcessingData d;
    d.Allocate(8);
    for (int k = 0; k < 8; ++k) {
        d.segment.time[k] = 0.5 * k;
        for (int c = 0; c < 6; ++c)
            d.segment.channels[c][k] = c + 1 + k * k;
    }
    d.TakeSnapshot();
    return d;
}

}   // namespace

// Each pair's result lands on its first channel and the second is cleared; the snapshot, not
// the working samples, is the input, so operations never compound.
TEST(ProcessingOperations, PairOperationsWorkFromTheSnapshot)
{
    ProcessingData d = Filled();
    ASSERT_TRUE(d.PairSums());
    ASSERT_TRUE(d.PairSums());   // twice: still from the snapshot
    for (int p = 0; p < 3; ++p)
        for (int k = 0; k < 8; ++k) {
            EXPECT_EQ(d.working[2 * p][k], (2 * p + 1 + k * k) + (2 * p + 2 + k * k));
            EXPECT_EQ(d.working[2 * p + 1][k], 0.0);
        }
    ASSERT_TRUE(d.PairDifferences());
    for (int p = 0; p < 3; ++p)
        EXPECT_EQ(d.working[2 * p][5], -1.0);

    // Velocity: the integral of (p2 - p1) = 1 over time, over rho * dr of the pair.
    ASSERT_TRUE(d.PairVelocities(1.25, {0.5, 0.25, 0.1}));
    const std::array<double, 3> dr = {0.5, 0.25, 0.1};
    for (int p = 0; p < 3; ++p) {
        // Simpson-like cumulative weights of a constant 1 with zero ends: sample k (k < 7)
        // holds (k + 1) dt minus dt/6 for the zero before sample 0.
        EXPECT_NEAR(d.working[2 * p][3], (4 * 0.5 - 0.5 / 6) / (1.25 * dr[p]), 1e-12) << p;
        EXPECT_EQ(d.working[2 * p + 1][3], 0.0);
    }

    ASSERT_TRUE(d.DifferentiateChannels());   // d/dt of c + 1 + (t/0.5)^2 = 8 t inside
    EXPECT_NEAR(d.working[4][3], 8 * 1.5, 1e-12);
    ASSERT_TRUE(d.IntegrateChannels());
    EXPECT_GT(d.working[0][7], d.working[0][6]);

    ProcessingData one;
    one.Allocate(1);
    one.segment.channels[0][0] = 3.0;
    one.TakeSnapshot();
    EXPECT_FALSE(one.PairSums() || one.PairDifferences() || one.IntegrateChannels() ||
                 one.DifferentiateChannels() || one.PairVelocities(1.2, {1, 1, 1}) ||
                 one.BridgeLinearly(0, 1));
    EXPECT_EQ(one.samples()[0][0], 3.0);
}

// Opening holds the samples once; a command's first change makes the working copy, which
// undo drops again. A pair operation before "M" has no snapshot and changes nothing.
TEST(ProcessingOperations, ArraysAreMadeWhenFirstNeeded)
{
    ProcessingData d;
    d.Allocate(8);
    d.segment.channels[0][3] = 7.0;
    EXPECT_TRUE(d.working[0].empty() && d.snapshot[0].empty() && d.spectra[0].empty() &&
                d.intensity[11].empty() && d.db[0].empty());
    EXPECT_EQ(&d.samples(), &d.segment.channels);
    EXPECT_FALSE(d.PairSums() || d.PairDifferences() || d.IntegrateChannels() || d.DifferentiateChannels() ||
                 d.PairVelocities(1.2, {1, 1, 1}));
    EXPECT_TRUE(d.working[0].empty());

    // Filtering replaces the chosen channels; the others are copied from the segment once.
    ProcessingData::Channels filtered;
    filtered[2].assign(8, 1.5);
    d.replaceSamples(std::move(filtered), {false, false, true, false, false, false});
    EXPECT_EQ(d.samples()[2], std::vector<double>(8, 1.5));
    EXPECT_EQ(d.samples()[0][3], 7.0);
    EXPECT_EQ(d.segment.channels[2], std::vector<double>(8, 0.0));   // as read, still
    d.resetSamples();
    EXPECT_EQ(&d.samples(), &d.segment.channels);

    d.EnsureSpectra();
    d.EnsureIntensity();
    EXPECT_EQ(d.spectra[5].size(), 4u);
    EXPECT_EQ(d.intensity[11].size(), 4u);
    EXPECT_EQ(d.frequency.size(), 4u);
}

TEST(ProcessingOperations, BridgeDrawsTheLineBetweenTheCursors)
{
    ProcessingData d = Filled();
    // Cursors at 0.75 s and 2.4 s: the line through samples 2 (t = 1) and 5 (t = 2.5), drawn
    // over samples 2 ... 4 (t from 0.75 up to 2.4).
    ASSERT_TRUE(d.BridgeLinearly(0.75, 2.4));
    for (int c = 0; c < 6; ++c) {
        EXPECT_EQ(d.working[c][1], c + 1 + 1);              // before: untouched
        EXPECT_DOUBLE_EQ(d.working[c][2], c + 1 + 4);       // the line's own ends
        EXPECT_DOUBLE_EQ(d.working[c][3], c + 1 + 4 + 7);   // slope (25 - 4) / 1.5 s, 0.5 s on
        EXPECT_DOUBLE_EQ(d.working[c][4], c + 1 + 4 + 14);
        EXPECT_EQ(d.working[c][5], c + 1 + 25);   // after: untouched
    }
    // Both cursors before the same sample, or past the end: no two samples, nothing changed.
    const ProcessingData before = d;
    EXPECT_FALSE(d.BridgeLinearly(0.6, 0.9));
    EXPECT_FALSE(d.BridgeLinearly(1.0, 9.0));
    EXPECT_EQ(d.samples(), before.samples());
}

TEST(ProcessingOperations, FrequenciesAndDecibels)
{
    ProcessingData d = Filled();
    d.FillFrequencies();
    EXPECT_EQ(d.frequency[0], 0.0);
    EXPECT_DOUBLE_EQ(d.frequency[3], 3 / 3.5);
    d.EnsureSpectra();
    d.EnsureDb();
    d.spectra[2][1] = 2e-5 * 100 / 0.1220703125;   // 100 times the reference after scaling
    d.FillDb({1, 1, 1, 1, 1, 1});
    EXPECT_NEAR(d.db[2][1], 40.0, 1e-9);
    EXPECT_EQ(d.db[2][0], 0.0);   // below the floor
}
