// Synthesis of the test signal: phase leads of the second microphones, sample count and time
// axis, the meander and impulse shapes, the shared noise sequence and its amplitude.
#include "TestSignal.h"

#include "SignalUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace {

constexpr double kTwoPi = 6.283185307179586;

struct Synth {
    std::array<std::vector<double>, 6> ch;
    std::vector<double> t;

    Synth(const TestSignalParams& p, int64_t n)
    {
        for (auto& c : ch)
            c.assign(static_cast<size_t>(n), -999.0);
        t.assign(static_cast<size_t>(n), -999.0);
        double* ptrs[6];
        for (int k = 0; k < 6; ++k)
            ptrs[k] = ch[k].data();
        SynthesizeTestSignal(p, n, ptrs, t.data());
    }
};

TestSignalParams Quiet(int form, int frequency, int rate = 10000)
{
    TestSignalParams p = TestSignalParams::FromSettings(DefaultSettings());
    p.form = form;
    p.frequency = frequency;
    p.noisePercent = 0;
    p.samplingRate = rate;
    return p;
}

}   // namespace

TEST(TestSignal, DefaultDirectionGivesTheExpectedPhaseLeads)
{
    const TestSignalParams p = Quiet(kTestSignalSine, 10);
    ASSERT_EQ(p.amplitude, 3276);
    const Synth s(p, 2000);
    const double a = p.amplitude, w = kTwoPi * 10;
    // Leads quoted to 7 digits: the sample error stays below A x 1e-7.
    const double leadXY = 0.0461999, leadZ = 0.0653365;
    for (size_t i = 0; i < s.t.size(); i += 7) {
        const double t = s.t[i];
        EXPECT_NEAR(s.ch[0][i], a * std::sin(w * t), 1e-12 * a);   // the fast sine's contract
        EXPECT_EQ(s.ch[2][i], s.ch[0][i]);
        EXPECT_EQ(s.ch[4][i], s.ch[0][i]);
        EXPECT_NEAR(s.ch[1][i], a * std::sin(w * t + leadXY), 1e-3) << i;
        EXPECT_NEAR(s.ch[3][i], a * std::sin(w * t + leadXY), 1e-3) << i;
        EXPECT_NEAR(s.ch[5][i], a * std::sin(w * t + leadZ), 1e-3) << i;
    }
}

// The direct formula, one library sine per sample and microphone: the fast synthesis must
// agree with it to 1e-12 of the amplitude for the sine, and to the sample for the shapes,
// over a long signal whose phase grows large.
TEST(TestSignal, AgreesWithTheDirectFormulaOverALongSignal)
{
    struct Case {
        int form, frequency, rate, thetaZ, thetaX;
    };
    for (const Case c :
         {Case{kTestSignalSine, 1000, 100000, 30, 60}, Case{kTestSignalSine, 49999, 100000, 90, 0},
          Case{kTestSignalSine, 3, 44100, 0, 0}, Case{kTestSignalMeander, 1000, 100000, 45, 45},
          Case{kTestSignalImpulse, 250, 100000, 120, 200}}) {
        TestSignalParams p = Quiet(c.form, c.frequency, c.rate);
        p.thetaZ = c.thetaZ;
        p.thetaX = c.thetaX;
        const int64_t n = 400000;
        const Synth s(p, n);
        const double a = p.amplitude, w = kTwoPi * p.frequency, deg = 0.017453292519943295;
        const double lead[3] = {
            w * p.spacing[0] * std::sin(p.thetaZ * deg) * std::cos(p.thetaX * deg) / p.soundSpeed,
            w * p.spacing[1] * std::sin(p.thetaZ * deg) * std::sin(p.thetaX * deg) / p.soundSpeed,
            w * p.spacing[2] * std::cos(p.thetaZ * deg) / p.soundSpeed};
        double worst = 0.0;
        int64_t shapeMismatches = 0;
        for (int64_t i = 0; i < n; ++i) {
            const double t = static_cast<double>(i) / p.samplingRate;
            ASSERT_EQ(s.t[static_cast<size_t>(i)], t);
            for (int pair = 0; pair < 3; ++pair) {
                const double direct[2] = {a * std::sin(w * t), a * std::sin(w * t + lead[pair])};
                for (int m = 0; m < 2; ++m) {
                    const double got = s.ch[static_cast<size_t>(2 * pair + m)][static_cast<size_t>(i)];
                    if (c.form == kTestSignalSine)
                        worst = std::max(worst, std::fabs(got - direct[m]));
                    else if (c.form == kTestSignalMeander &&
                             got != (direct[m] > 0 ? a : (direct[m] < 0 ? -a : 0.0)))
                        ++shapeMismatches;
                }
            }
        }
        EXPECT_LE(worst, 1e-12 * a) << c.frequency;
        EXPECT_EQ(shapeMismatches, 0) << c.frequency;
    }
}

TEST(TestSignal, WaveFromAlongZShiftsOnlyTheZPair)
{
    TestSignalParams p = Quiet(kTestSignalSine, 10);
    p.thetaZ = 0;
    const Synth s(p, 1000);
    EXPECT_EQ(s.ch[1], s.ch[0]);
    EXPECT_EQ(s.ch[3], s.ch[2]);
    EXPECT_NE(s.ch[5], s.ch[4]);
    EXPECT_GT(s.ch[5][0], 0.0);   // leads: already positive at t = 0
}

TEST(TestSignal, OddRateCountsEvenButSpacesByTheRateAsSet)
{
    const int64_t n = TestSignalSampleCount(65u & ~1u, 1.0);
    ASSERT_EQ(n, 64);
    const Synth s(Quiet(kTestSignalSine, 10, 65), n);
    EXPECT_EQ(s.t[0], 0.0);
    EXPECT_DOUBLE_EQ(s.t[63], 63.0 / 65.0);
    EXPECT_EQ(TestSignalSampleCount(1000, 0.0995), 99);
    EXPECT_EQ(TestSignalSampleCount(1000, 0.0), 0);
}

TEST(TestSignal, MeanderKeepsExactZeros)
{
    const TestSignalParams p = Quiet(kTestSignalMeander, 10);
    const Synth s(p, 10000);
    EXPECT_EQ(s.ch[0][0], 0.0);
    for (int k = 0; k < 6; ++k)
        for (size_t i = 1; i < s.t.size(); ++i)
            ASSERT_TRUE(s.ch[k][i] == p.amplitude || s.ch[k][i] == -p.amplitude || s.ch[k][i] == 0.0)
                << k << " " << i;
    EXPECT_EQ(s.ch[0][100], p.amplitude);    // t = 0.01, first half-wave
    EXPECT_EQ(s.ch[0][600], -p.amplitude);   // t = 0.06, second half-wave
}

// Where channel 1 of the impulse form is A: [start, end) in seconds, checked away from the
// edges by a few samples.
struct ImpulseCase {
    int frequency;
    double start, end;
};

class ImpulseForm : public ::testing::TestWithParam<ImpulseCase> {};

TEST_P(ImpulseForm, ChannelOneCarriesOneHalfWave)
{
    const ImpulseCase c = GetParam();
    const TestSignalParams p = Quiet(kTestSignalImpulse, c.frequency);
    const Synth s(p, 10000);
    for (size_t i = 0; i < s.t.size(); ++i) {
        const double t = s.t[i];
        if (t > c.start + 1e-3 && t < c.end - 1e-3) {
            ASSERT_EQ(s.ch[0][i], p.amplitude) << t;
        } else if (t < c.start - 1e-3 || t > c.end + 1e-3) {
            ASSERT_EQ(s.ch[0][i], 0.0) << t;
        }
    }
    // The impulse of channel 6 follows its own lead: it starts earlier than channel 1's.
    const auto first = [](const std::vector<double>& v) {
        size_t i = 0;
        while (i < v.size() && v[i] == 0.0)
            ++i;
        return i;
    };
    if (c.start > 0) {
        EXPECT_LT(first(s.ch[5]), first(s.ch[0]));
    }
}

INSTANTIATE_TEST_SUITE_P(TestSignal, ImpulseForm,
                         ::testing::Values(ImpulseCase{3, 0.0, 1.0 / 6.0}, ImpulseCase{10, 0.4, 0.45},
                                           ImpulseCase{4, 0.25, 0.375}));

TEST(TestSignal, ImpulseAtOneHertzIsThePlainSine)
{
    const Synth impulse(Quiet(kTestSignalImpulse, 1), 10000);
    const Synth sine(Quiet(kTestSignalSine, 1), 10000);
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(impulse.ch[k], sine.ch[k]) << k;
}

TEST(TestSignal, UnknownFormGivesTheSine)
{
    const Synth odd(Quiet(7, 10), 500);
    const Synth sine(Quiet(kTestSignalSine, 10), 500);
    EXPECT_EQ(odd.ch[3], sine.ch[3]);
}

TEST(TestSignalAmplitude, VoltsAndStepsConvertAsTheDialogShowsThem)
{
    EXPECT_EQ(TestSignalAmplitudeSteps(1, 0.00263), 381);
    EXPECT_EQ(TestSignalAmplitudeVolts(381, 0.00263), 1);
    EXPECT_EQ(TestSignalAmplitudeVolts(3276, 0.00263), 8);
    EXPECT_EQ(TestSignalAmplitudeSteps(0, 0.00263), 1);
    EXPECT_FALSE(TestSignalAmplitudeSteps(1, 0.0));
    EXPECT_FALSE(TestSignalAmplitudeSteps(1, -1.0));
    EXPECT_FALSE(TestSignalAmplitudeSteps(1, std::nan("")));
    EXPECT_FALSE(TestSignalAmplitudeSteps(1000, 1e-9));   // beyond 32 bits
    EXPECT_EQ(TestSignalAmplitudeVolts(3276, 0.0), 0);
}

TEST(TestSignal, NoiseIsOneSequenceInWholeStepsOfTheAmplitude)
{
    TestSignalParams p = Quiet(kTestSignalSine, 10);
    p.noisePercent = 10;   // (3276 x 10) div 100 = 327, not 327.6
    const Synth clean(Quiet(kTestSignalSine, 10), 20000);
    const std::array<int32_t, 3> before = NoiseState();
    const Synth noisy(p, 20000);
    SetNoiseState(before);
    std::vector<double> expected(20000);
    ASSERT_EQ(UniformNoise(20000, 327.0, 0, expected.data()), 0);

    double largest = 0;
    for (size_t i = 0; i < expected.size(); ++i) {
        for (int k = 0; k < 6; ++k)
            ASSERT_NEAR(noisy.ch[k][i] - clean.ch[k][i], expected[i], 1e-9) << k << " " << i;
        largest = std::max(largest, std::fabs(expected[i]));
    }
    EXPECT_LE(largest, 327.0);
    EXPECT_GT(largest, 326.0);
    // A second call continues the generator rather than restarting it.
    const Synth again(p, 100);
    EXPECT_NE(again.ch[0][1], noisy.ch[0][1]);
}
