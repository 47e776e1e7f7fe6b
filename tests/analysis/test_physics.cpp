// End-to-end physics of the intensity chain: a synthesised plane wave (the test signal, no
// noise) through the intensity spectra and the band reduction the processing window uses
// ("Периодический": band sum of harmonic lines; "Импульс": band integration) must give an
// active vector along the arrival direction with the plane-wave modulus p^2 / (2 rho c), no
// reactive intensity, and kinetic energy (summed over the axes) equal to potential energy.
#include "Intensity.h"
#include "Recording.h"
#include "Settings.h"
#include "SignalUtils.h"
#include "TestSignal.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

struct Direction {
    int thetaZ;   // FI_Z
    int thetaX;   // FI_X
};

enum class Reduction { Harmonics, Integral };

struct PhysicsCase {
    Direction direction;
    Reduction reduction;
    int windowItem;   // 0 "Нет", 2 Hanning
};

std::string Describe(const PhysicsCase& c)
{
    return "FI_Z " + std::to_string(c.direction.thetaZ) + ", FI_X " + std::to_string(c.direction.thetaX) +
           (c.reduction == Reduction::Harmonics ? ", harmonics" : ", integral") + ", window item " +
           std::to_string(c.windowItem);
}

void PrintTo(const PhysicsCase& c, std::ostream* out)
{
    *out << Describe(c);
}

using Vector = std::array<double, 3>;

double Norm(const Vector& v)
{
    return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

// Angle between two vectors in degrees, accurate for small angles too.
double AngleDegrees(const Vector& u, const Vector& v)
{
    const Vector cross = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
    return std::atan2(Norm(cross), dot) / kDegree;
}

class PlaneWave : public ::testing::TestWithParam<PhysicsCase> {
protected:
    void SetUp() override
    {
        savedSettings_ = CurrentSettings();
        savedFlag_ = TestSignalFlag();
        savedNoise_ = NoiseState();
    }
    void TearDown() override
    {
        CurrentSettings() = savedSettings_;
        SetTestSignalFlag(savedFlag_);
        SetNoiseState(savedNoise_);
    }

private:
    Settings savedSettings_;
    bool savedFlag_ = false;
    std::array<int32_t, 3> savedNoise_{};
};

TEST_P(PlaneWave, GivesTheFieldOfAPlaneWave)
{
    const PhysicsCase& c = GetParam();
    SCOPED_TRACE(Describe(c));

    // The processing window in test-signal mode: default constants, sine of 10 Hz, no noise.
    Settings& s = CurrentSettings();
    s = DefaultSettings();
    s.type_sig = kTestSignalSine;
    s.freq_sig = 10;
    s.ampl_noise_sig = 0;
    s.freq_ocifr = 100000;
    s.dlit = 1;
    s.FI_Z = c.direction.thetaZ;
    s.FI_X = c.direction.thetaX;
    s.impuls = c.reduction == Reduction::Harmonics ? 1 : 0;
    SetTestSignalFlag(true);

    const int64_t count = TestSignalSampleCount(static_cast<uint32_t>(s.freq_ocifr) & ~1u, s.dlit);
    ASSERT_EQ(count, 100000);
    const int N = static_cast<int>(count);
    std::array<std::vector<double>, 6> samples;
    double* channels[6];
    for (int k = 0; k < 6; ++k) {
        samples[static_cast<size_t>(k)].resize(static_cast<size_t>(N));
        channels[k] = samples[static_cast<size_t>(k)].data();
    }
    std::vector<double> time(static_cast<size_t>(N));
    SynthesizeTestSignal(TestSignalParams::FromSettings(s), count, channels, time.data());

    const int bins = N / 2;
    std::array<std::vector<double>, 3> I, J, K, P;
    double* iPtr[3];
    double* jPtr[3];
    double* kPtr[3];
    double* pPtr[3];
    for (int a = 0; a < 3; ++a) {
        for (auto* group : {&I, &J, &K, &P}) {
            (*group)[static_cast<size_t>(a)].resize(static_cast<size_t>(bins));
        }
        iPtr[a] = I[a].data();
        jPtr[a] = J[a].data();
        kPtr[a] = K[a].data();
        pPtr[a] = P[a].data();
    }
    const double* inputs[6] = {channels[0], channels[1], channels[2], channels[3], channels[4], channels[5]};
    ASSERT_EQ(ComputeIntensitySpectra(IntensityConstantsFrom(CurrentSettings(), TestSignalFlag()),
                                      c.windowItem, N, inputs, time.data(), iPtr, jPtr, kPtr, pPtr),
              kAnalysisOk);

    // The band 5 ... 15 Hz chosen as the window chooses bins: first above the lower limit,
    // end at the first above the upper one.
    std::vector<double> f(static_cast<size_t>(bins));
    const double df = 1.0 / time.back();
    for (int k = 0; k < bins; ++k) {
        f[static_cast<size_t>(k)] = k * df;
    }
    int first = 0;
    while (first < bins && !(f[static_cast<size_t>(first)] > 5.0)) {
        ++first;
    }
    int end = first;
    while (end < bins && !(f[static_cast<size_t>(end)] > 15.0)) {
        ++end;
    }
    ASSERT_TRUE(f[static_cast<size_t>(first)] < 10.0 && f[static_cast<size_t>(end - 1)] > 10.0);

    Vector bandI{}, bandJ{}, bandK{}, bandP{};
    if (c.reduction == Reduction::Harmonics) {
        for (int a = 0; a < 3; ++a) {
            ASSERT_EQ(SumBandHarmonics(first, end, bins, I[a].data(), f.data(), bandI[a]), kAnalysisOk);
            ASSERT_EQ(SumBandHarmonics(first, end, bins, J[a].data(), f.data(), bandJ[a]), kAnalysisOk);
            ASSERT_EQ(SumBandHarmonics(first, end, bins, K[a].data(), f.data(), bandK[a]), kAnalysisOk);
            ASSERT_EQ(SumBandHarmonics(first, end, bins, P[a].data(), f.data(), bandP[a]), kAnalysisOk);
        }
    } else {
        double maxI = 0.0;
        double maxJ = 0.0;
        ASSERT_EQ(IntegrateBand(first, end, bins, f[1] - f[0], iPtr, jPtr, kPtr, pPtr, bandI, bandJ, bandK,
                                bandP, maxI, maxJ),
                  kAnalysisOk);
    }

    const double thetaZ = c.direction.thetaZ * kDegree;
    const double thetaX = c.direction.thetaX * kDegree;
    const Vector d = {std::sin(thetaZ) * std::cos(thetaX), std::sin(thetaZ) * std::sin(thetaX),
                      std::cos(thetaZ)};
    const double p = s.ampl_sig * s.VOLT * 400.0;   // peak pressure, Pa
    const double planeIntensity = p * p / (2.0 * s.plotnost * s.skorost);
    const double energyDensity = p * p / (4.0 * s.plotnost * s.skorost * s.skorost);

    // The figures, for the test report (--gtest_output=xml).
    const double kineticSum = bandK[0] + bandK[1] + bandK[2];
    auto record = [](const char* key, double value) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", value);
        ::testing::Test::RecordProperty(key, text);
    };
    record("angle_deg", AngleDegrees(bandI, d));
    record("modulus_rel_error", Norm(bandI) / planeIntensity - 1.0);
    record("reactive_rel", Norm(bandJ) / planeIntensity);
    record("kinetic_sum_rel_error", kineticSum / energyDensity - 1.0);
    for (int a = 0; a < 3; ++a) {
        record(("potential_vs_kinetic_sum_" + std::to_string(a)).c_str(), bandP[a] / kineticSum - 1.0);
    }

    EXPECT_LT(AngleDegrees(bandI, d), 0.1)
        << "I = (" << bandI[0] << ", " << bandI[1] << ", " << bandI[2] << ")";
    EXPECT_NEAR(Norm(bandI) / planeIntensity, 1.0, 0.01);
    EXPECT_LT(Norm(bandJ), 1e-6 * planeIntensity);
    EXPECT_NEAR(kineticSum / energyDensity, 1.0, 0.01);
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(bandP[a] / kineticSum, 1.0, 0.01) << "axis " << a;
    }
}

std::vector<PhysicsCase> AllCases()
{
    const Direction directions[] = {{45, 45}, {120, 200}, {90, 180}, {30, 300}, {180, 0}, {0, 0}};
    std::vector<PhysicsCase> cases;
    for (const Direction& d : directions) {
        cases.push_back({d, Reduction::Harmonics, 0});
        cases.push_back({d, Reduction::Harmonics, 2});
        cases.push_back({d, Reduction::Integral, 2});   // an impulse is never weighted
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Directions, PlaneWave, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<PhysicsCase>& info) {
                             const PhysicsCase& c = info.param;
                             return "Z" + std::to_string(c.direction.thetaZ) + "_X" +
                                    std::to_string(c.direction.thetaX) +
                                    (c.reduction == Reduction::Harmonics ? "_harmonics_w" : "_integral_w") +
                                    std::to_string(c.windowItem);
                         });

}   // namespace
