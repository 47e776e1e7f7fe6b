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
    EXPECT_EQ(DbValue(5.0, 0.0), 0.0);      // division by zero
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
