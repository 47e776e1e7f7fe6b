// Sensitivity from a calibrator tone: the stated level gives back the microphone's sensitivity
// to within 0.02 dB, with noise and at either usual frequency; the warnings a technician needs;
// and the refusals.
#include "Calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace {

constexpr double kPi = 3.141592653589793;

// A calibrator of level L (dB re 20 µPa) at f on a microphone of `sensitivity` mV/Pa, with
// uniform noise of `noise` times the tone's amplitude and a slow level swing of `swingDb` peak.
std::vector<double> Recording(double rate, double seconds, double f, double levelDb, double sensitivity,
                              double noise = 0.0, double swingDb = 0.0)
{
    const double rms = 20e-6 * std::pow(10.0, levelDb / 20.0) * sensitivity / 1000.0;
    const double amplitude = rms * std::sqrt(2.0);
    std::mt19937 engine(7);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> x(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < x.size(); ++i) {
        const double t = static_cast<double>(i) / rate;
        const double gain = std::pow(10.0, swingDb * std::sin(2 * kPi * 0.25 * t) / 20.0);
        x[i] = amplitude * gain * std::sin(2 * kPi * f * t + 0.3) + noise * amplitude * uniform(engine);
    }
    return x;
}

struct ToneCase {
    double frequency, levelDb, noise, rate;
};

}   // namespace

class CalibratorTones : public testing::TestWithParam<ToneCase> {};

TEST_P(CalibratorTones, GiveBackTheSensitivityWithin002Db)
{
    const ToneCase c = GetParam();
    const std::vector<double> x = Recording(c.rate, 4.0, c.frequency, c.levelDb, 47.3, c.noise);
    const ChannelCalibration r =
        CalibrateChannel(x.data(), static_cast<int>(x.size()), c.rate, {c.levelDb, c.frequency}, 47.3);
    ASSERT_EQ(r.status, CalibrationStatus::Ok);
    EXPECT_LT(std::fabs(20 * std::log10(r.sensitivity / 47.3)), 0.02) << r.sensitivity;
    EXPECT_NEAR(r.foundFrequency, c.frequency, 0.5);
    ASSERT_TRUE(r.levelWithOldDb && r.changeDb && r.stabilityDb);
    EXPECT_NEAR(*r.levelWithOldDb, c.levelDb, 0.02);
    EXPECT_LT(*r.stabilityDb, 0.02);
    EXPECT_FALSE(r.toneElsewhere || r.unstable || r.largeChange);
    EXPECT_TRUE(CalibrationWarningsRu(r, {c.levelDb, c.frequency}).empty());
}

INSTANTIATE_TEST_SUITE_P(Calibration, CalibratorTones,
                         testing::Values(ToneCase{1000, 94, 0.0, 48000}, ToneCase{1000, 94, 0.1, 48000},
                                         ToneCase{250, 94, 0.1, 48000}, ToneCase{1000, 114, 0.1, 44100},
                                         ToneCase{250, 104, 0.0, 8000}));

TEST(Calibration, WarnsOfAToneElsewhereAnUnsteadyLevelAndALargeChange)
{
    const double rate = 48000;
    // The calibrator plays 1 kHz while 250 Hz was stated.
    std::vector<double> x = Recording(rate, 3.0, 1000, 94, 50);
    ChannelCalibration r = CalibrateChannel(x.data(), static_cast<int>(x.size()), rate, {94, 250}, 50);
    ASSERT_EQ(r.status, CalibrationStatus::Ok);
    EXPECT_TRUE(r.toneElsewhere);
    EXPECT_NEAR(r.foundFrequency, 1000, 1);

    // A level swinging by ±0.2 dB, on a microphone thought to have 40 mV/Pa.
    x = Recording(rate, 4.0, 1000, 94, 50, 0.0, 0.2);
    r = CalibrateChannel(x.data(), static_cast<int>(x.size()), rate, {94, 1000}, 40);
    ASSERT_EQ(r.status, CalibrationStatus::Ok);
    EXPECT_TRUE(r.unstable);
    EXPECT_TRUE(r.largeChange);
    EXPECT_NEAR(*r.changeDb, 20 * std::log10(50.0 / 40), 0.05);
    EXPECT_EQ(CalibrationWarningsRu(r, {94, 1000}).size(), 2u);

    // No old sensitivity: nothing to compare with.
    r = CalibrateChannel(x.data(), static_cast<int>(x.size()), rate, {94, 1000}, 0.0);
    EXPECT_FALSE(r.changeDb || r.levelWithOldDb || r.largeChange);
}

TEST(Calibration, RefusesWhatCannotBeMeasured)
{
    const double rate = 48000;
    const std::vector<double> silent(96000, 0.0);
    EXPECT_EQ(CalibrateChannel(silent.data(), 96000, rate, {94, 1000}, 50).status,
              CalibrationStatus::NoSignal);
    const std::vector<double> x = Recording(rate, 2.0, 1000, 94, 50);
    EXPECT_EQ(CalibrateChannel(x.data(), 12000, rate, {94, 1000}, 50).status, CalibrationStatus::TooShort);
    EXPECT_EQ(CalibrateChannel(x.data(), 96000, rate, {94, 23000}, 50).status,
              CalibrationStatus::ToneAboveNyquist);
    EXPECT_EQ(CalibrateChannel(x.data(), 96000, rate, {NAN, 1000}, 50).status, CalibrationStatus::BadTone);
    EXPECT_EQ(CalibrateChannel(x.data(), 96000, rate, {94, -1}, 50).status, CalibrationStatus::BadTone);
    // Under two seconds the stability is not measured.
    const ChannelCalibration r = CalibrateChannel(x.data(), 60000, rate, {94, 1000}, 50);
    ASSERT_EQ(r.status, CalibrationStatus::Ok);
    EXPECT_FALSE(r.stabilityDb);
}
