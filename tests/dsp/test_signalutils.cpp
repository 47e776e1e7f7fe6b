// Series routines, noise generator, cursor readouts, clock text and number text.
#include "NumberText.h"
#include "SignalUtils.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>
#include <vector>

namespace {

TEST(IntegrateSeries, WorkedExamplesAndInPlace)
{
    std::vector<double> ones = {1.0, 1.0, 1.0, 1.0};
    std::vector<double> y(4);
    ASSERT_EQ(IntegrateSeries(ones.data(), 4, 1.0, 0.0, 0.0, y.data()), kAnalysisOk);
    const double expected[] = {5.0 / 6, 11.0 / 6, 17.0 / 6, 22.0 / 6};
    for (int i = 0; i < 4; ++i) {
        EXPECT_NEAR(y[i], expected[i], 1e-15) << i;
    }
    // In place gives the same, since each output is written after its right neighbour is read.
    ASSERT_EQ(IntegrateSeries(ones.data(), 4, 1.0, 0.0, 0.0, ones.data()), kAnalysisOk);
    EXPECT_EQ(ones, y);

    double one[] = {2.0};
    ASSERT_EQ(IntegrateSeries(one, 1, 0.5, 1.0, 3.0, one), kAnalysisOk);
    EXPECT_NEAR(one[0], (1.0 + 8.0 + 3.0) * 0.5 / 6.0, 1e-15);
}

TEST(DifferentiateSeries, WorkedExampleAndInPlace)
{
    std::vector<double> x = {0.0, 1.0, 2.0, 3.0};
    ASSERT_EQ(DifferentiateSeries(x.data(), 4, 1.0, 0.0, 0.0, x.data()), kAnalysisOk);
    EXPECT_EQ(x, (std::vector<double>{0.5, 1.0, 1.0, -1.0}));
}

TEST(SeriesRoutines, BadArgumentsWriteNothing)
{
    double x[] = {1.0, 2.0};
    double y[] = {-7.0, -7.0};
    EXPECT_EQ(IntegrateSeries(x, 0, 1.0, 0, 0, y), kSeriesTooShort);
    EXPECT_EQ(DifferentiateSeries(x, 0, 1.0, 0, 0, y), kSeriesTooShort);
    EXPECT_EQ(LinearMap(x, 0, 1.0, 0.0, y), kSeriesTooShort);
    EXPECT_EQ(SubtractSeries(x, x, -1, y), kSeriesTooShort);
    for (double dt : {0.0, -1.0, std::nan("")}) {
        EXPECT_EQ(IntegrateSeries(x, 2, dt, 0, 0, y), kBadSampleInterval) << dt;
        EXPECT_EQ(DifferentiateSeries(x, 2, dt, 0, 0, y), kBadSampleInterval) << dt;
    }
    EXPECT_EQ(y[0], -7.0);
    EXPECT_EQ(y[1], -7.0);
}

TEST(SeriesRoutines, LinearMapAndSubtract)
{
    std::vector<double> x = {1.0, -2.0, 0.5};
    std::vector<double> z(3);
    ASSERT_EQ(LinearMap(x.data(), 3, 2.0, 1.0, z.data()), kAnalysisOk);
    EXPECT_EQ(z, (std::vector<double>{3.0, -3.0, 2.0}));
    ASSERT_EQ(SubtractSeries(z.data(), x.data(), 3, z.data()), kAnalysisOk);
    EXPECT_EQ(z, (std::vector<double>{2.0, -1.0, 1.5}));
}

TEST(FindMinMax, ExtremesAndEmpty)
{
    const double a[] = {3.0, -1.0, 7.0, 2.0};
    double lo = 99, hi = 99;
    FindMinMax(4, a, lo, hi);
    EXPECT_EQ(lo, -1.0);
    EXPECT_EQ(hi, 7.0);
    FindMinMax(0, nullptr, lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 0.0);
}

class WithDisplayFactors : public ::testing::Test {
protected:
    void SetUp() override { savedSeparator_ = DecimalSeparator(); }
    void TearDown() override { SetDecimalSeparator(savedSeparator_); }
    char savedSeparator_ = '.';
};

TEST_F(WithDisplayFactors, LocalExtremesUsesTheVisibleStretchInDisplayUnits)
{
    const std::array<double, 6> factors = {1.0, 1.0, -2.0, 1.0, 1.0, 1.0};
    const double x[] = {0, 1, 2, 3, 4, 5};
    const double y[] = {10, 1, 5, -3, 2, 100};
    double lo = 0, hi = 0;
    // lo = 0.5 starts at x = 1; hi = 3.5 ends at the first x above it, x = 4.
    LocalExtremes(6, 0.5, 3.5, x, y, 0, factors, lo, hi);
    EXPECT_EQ(lo, -3.0);
    EXPECT_EQ(hi, 5.0);
    // hi beyond the data: up to sample n - 2, so the 100 at the end stays out.
    LocalExtremes(6, 0.5, 50.0, x, y, 0, factors, lo, hi);
    EXPECT_EQ(hi, 5.0);
    // Channel factor applies.
    LocalExtremes(6, 0.5, 3.5, x, y, 2, factors, lo, hi);
    EXPECT_EQ(lo, -10.0);
    EXPECT_EQ(hi, 6.0);
    // Degenerate stretches read only inside the arrays.
    LocalExtremes(1, -1.0, 5.0, x, y, 0, factors, lo, hi);
    EXPECT_EQ(lo, 10.0);
    EXPECT_EQ(hi, 10.0);
    LocalExtremes(6, 10.0, 20.0, x, y, 0, factors, lo, hi);   // nothing above lo: samples 0 ... n-2
    EXPECT_EQ(lo, -3.0);
    EXPECT_EQ(hi, 10.0);
    LocalExtremes(0, 0.0, 1.0, x, y, 0, factors, lo, hi);
    EXPECT_EQ(lo, 0.0);
    EXPECT_EQ(hi, 0.0);
}

TEST_F(WithDisplayFactors, ReadoutsInTheSpectrumViewWithBothCursorsOnOneBin)
{
    SetDecimalSeparator(',');
    const std::array<double, 6> factors = {1.0, 2.0, 3.0, 4.0, 5.0, 6.0};
    const double f[] = {0.0, 10.0, 20.0, 30.0};
    std::array<std::vector<double>, 6> data;
    const double* channels[6];
    for (int c = 0; c < 6; ++c) {
        data[c] = {0.0, 1.25 + c, 7.0, 8.0};
        channels[c] = data[c].data();
    }
    std::array<std::string, 3> texts;
    BuildCursorReadouts(10, 20, 0, 3, f, channels, texts, 5.0, 7.0, true, factors);
    EXPECT_EQ(texts[0], "f(Гц)= 10,0; K1=1,3; K2=4,5; K3=9,8; K4=17,0; K5=26,3; K6=37,5;");
    EXPECT_EQ(texts[1], texts[0]);
    EXPECT_EQ(texts[2], "df(Гц)= 0,0; DK1=0,0; DK2=0,0; DK3=0,0; DK4=0,0; DK5=0,0; DK6=0,0;");

    BuildCursorReadouts(0, 0, 0, 3, f, channels, texts, -1.0, 15.0, false, factors);
    EXPECT_EQ(texts[0], "t(с)= 0,0; K1=0,0; K2=0,0; K3=0,0; K4=0,0; K5=0,0; K6=0,0;");
    EXPECT_EQ(texts[2].substr(0, std::string("dt(с)= 20,0; DK1=7,0;").size()), "dt(с)= 20,0; DK1=7,0;");

    // A cursor beyond the last x reads the last sample of the range; an empty range gives
    // the headings alone.
    BuildCursorReadouts(0, 0, 0, 2, f, channels, texts, 100.0, 100.0, false, factors);
    EXPECT_EQ(texts[0].substr(0, 12), "t(с)= 20,0;");
    BuildCursorReadouts(0, 0, 3, 2, f, channels, texts, 1.0, 2.0, false, factors);
    EXPECT_EQ(texts[0], "t(с)= ");
    EXPECT_EQ(texts[2], "dt(с)= ");
}

TEST(UniformNoise, StartValuesStateAndReseeding)
{
    const std::array<int32_t, 3> start = {1234, 2345, 3456};
    SetNoiseState(start);
    std::vector<double> y(3);
    ASSERT_EQ(UniformNoise(3, 16384.0, 0, y.data()), kAnalysisOk);
    EXPECT_EQ(y, (std::vector<double>{5085.0, 15246.0, -6479.0}));
    EXPECT_EQ(NoiseState(), (std::array<int32_t, 3>{15531, 29441, 24796}));

    // Seed 0 continues the sequence: three then three equals six at once.
    SetNoiseState(start);
    std::vector<double> six(6);
    UniformNoise(6, 1.0, 0, six.data());
    SetNoiseState(start);
    std::vector<double> a(3), b(3);
    UniformNoise(3, 1.0, -4, a.data());
    UniformNoise(3, 1.0, 0, b.data());
    EXPECT_EQ(std::vector<double>(six.begin(), six.begin() + 3), a);
    EXPECT_EQ(std::vector<double>(six.begin() + 3, six.end()), b);

    // A positive seed restarts: state 5, 8187, 8191 * 8187 mod 16384, and the same seed
    // gives the same values.
    std::vector<double> first(100), second(100);
    UniformNoise(1, 1.0, 5, first.data());
    SetNoiseState({5, 8187, static_cast<int32_t>((8191 * 8187) % 16384)});
    std::vector<double> manual(1);
    UniformNoise(1, 1.0, 0, manual.data());
    EXPECT_EQ(manual[0], first[0]);
    UniformNoise(100, 3.0, 77, first.data());
    UniformNoise(100, 3.0, 77, second.data());
    EXPECT_EQ(first, second);

    EXPECT_EQ(UniformNoise(0, 1.0, 0, y.data()), kSeriesTooShort);
}

TEST(UniformNoise, StaysInRangeEvenForLargeSeeds)
{
    for (int seed : {1, 30269, 262144, 2000000000}) {
        std::vector<double> y(2000);
        ASSERT_EQ(UniformNoise(2000, 16384.0, seed, y.data()), kAnalysisOk);
        for (double v : y) {
            ASSERT_GE(v, -16383.0) << seed;
            ASSERT_LE(v, 16384.0) << seed;
            ASSERT_EQ(v, std::trunc(v)) << seed;
        }
    }
}

struct ClockCase {
    double seconds;
    bool fraction;
    const char* text;
};

TEST(FormatClockTime, Texts)
{
    const char saved = DecimalSeparator();
    SetDecimalSeparator(',');
    const ClockCase cases[] = {
        {3725.5, false, "01:02:05"},    {3725.5, true, "01:02:05,50"}, {59.999, false, "00:00:59"},
        {59.999, true, "00:01:00,00"},  {9.999, true, "00:00:10,00"},  {3599.996, true, "01:00:00,00"},
        {0.0, true, "00:00:00,00"},     {0.0, false, "00:00:00"},      {5.25, true, "00:00:05,25"},
        {360000.0, false, "100:00:00"}, {-61.5, false, "-00:01:01"},   {std::nan(""), false, "00:00:00"},
    };
    for (const ClockCase& c : cases) {
        EXPECT_EQ(FormatClockTime(c.seconds, c.fraction), c.text) << c.seconds << " " << c.fraction;
    }
    SetDecimalSeparator(saved);
}

struct NumberCase {
    double value;
    int decimals;
    const char* text;
};

TEST(NumberText, FixedPointWithSevenSignificantDigits)
{
    const char saved = DecimalSeparator();
    SetDecimalSeparator(',');
    const NumberCase cases[] = {
        {1.4, 3, "1,400"},
        {0.0, 1, "0,0"},
        {-0.0, 1, "0,0"},
        {-0.04, 1, "0,0"},
        {-0.06, 1, "-0,1"},
        {0.05, 1, "0,1"},
        {0.125, 2, "0,13"},
        {99.96, 1, "100,0"},
        {1.23456789, 8, "1,23456800"},   // digits past the seventh are zeros
        {123.456789, 2, "123,46"},
        {-123.5, 0, "-124"},
        {0.000123456, 8, "0,00012346"},
        {9999999.4, 1, "9999999,0"},
        {9999999.5, 1, "1E7"},
        {1.2345678e10, 2, "1,234568E10"},
        {-2.5e12, 1, "-2,5E12"},
        {std::nan(""), 2, "NAN"},
        {-INFINITY, 2, "-INF"},
    };
    for (const NumberCase& c : cases) {
        EXPECT_EQ(NumberText(c.value, c.decimals), c.text) << c.value << " / " << c.decimals;
    }
    SetDecimalSeparator('.');
    EXPECT_EQ(NumberText(2.5, 2), "2.50");
    SetDecimalSeparator(saved);
}

}   // namespace
