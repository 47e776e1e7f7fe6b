// Intensity spectra against a plain DFT and the formulas written out in the test, the
// pressure and amplitude factors, the identical-pair case, short inputs; band integration
// and the band sum of harmonic lines (threshold, signs, lines at the band's edges, refusals).
#include "Intensity.h"

#include "PeakDetector.h"
#include "RecordingPresenter.h"
#include "Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// Relative comparison that names the quantity and prints both values.
::testing::AssertionResult Near(const char* what, size_t index, double computed, double expected,
                                double scale, double tolerance)
{
    if (std::fabs(computed - expected) <= tolerance * scale) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << what << "[" << index << "]: computed " << computed << ", expected " << expected
           << " (difference " << computed - expected << ", allowed " << tolerance * scale << ")";
}

// Keeps the settings record and the test-signal flag as they were before the test.
class IntensityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        saved_ = CurrentSettings();
        savedFlag_ = TestSignalFlag();
        CurrentSettings() = DefaultSettings();
        SetTestSignalFlag(false);
    }
    void TearDown() override
    {
        CurrentSettings() = saved_;
        SetTestSignalFlag(savedFlag_);
    }

private:
    Settings saved_;
    bool savedFlag_ = false;
};

// Six channels, a time axis and the twelve result arrays, each exactly as long as needed so
// that the address sanitizer sees any read or write past an end.
struct ProbeRun {
    explicit ProbeRun(int n)
        : N(n), samples(6, std::vector<double>(static_cast<size_t>(n))), time(static_cast<size_t>(n))
    {
        for (auto* group : {&I, &J, &K, &P}) {
            for (auto& axis : *group) {
                axis.assign(static_cast<size_t>(n / 2), std::numeric_limits<double>::quiet_NaN());
            }
        }
    }

    void SetRate(double rate)
    {
        for (int j = 0; j < N; ++j) {
            time[static_cast<size_t>(j)] = j / rate;
        }
    }

    AnalysisStatus Compute(int windowItem)
    {
        const double* channels[6];
        for (int k = 0; k < 6; ++k) {
            channels[k] = samples[static_cast<size_t>(k)].data();
        }
        double* i[3];
        double* j[3];
        double* k[3];
        double* p[3];
        for (int a = 0; a < 3; ++a) {
            i[a] = I[a].data();
            j[a] = J[a].data();
            k[a] = K[a].data();
            p[a] = P[a].data();
        }
        // The recording's opener decides the pascals; here the two fixed factors stand for it
        // unless a test gives each channel its own.
        const Settings& s = CurrentSettings();
        std::array<double, 6> factors{};
        factors.fill(TestSignalFlag() ? s.VOLT * kTestSignalPascalPerVolt : kFilePascalPerStep);
        return ComputeIntensitySpectra(IntensityConstantsFrom(s, ownFactors.value_or(factors)), windowItem, N,
                                       channels, time.data(), i, j, k, p);
    }

    int N;
    std::optional<std::array<double, 6>> ownFactors;   // pascals per unit of each channel
    std::vector<std::vector<double>> samples;
    std::vector<double> time;
    std::array<std::vector<double>, 3> I, J, K, P;
};

// The results written out from their definition: a plain DFT (long double) of the channels in
// pascals, Hanning-weighted and divided by its coherent gain 0.5 when asked for.
struct Reference {
    std::array<std::vector<double>, 3> I, J, K, P;
};

Reference ComputeReference(const ProbeRun& run, double g, bool periodic, bool hanning)
{
    const Settings& s = CurrentSettings();
    const int N = run.N;
    const int bins = N / 2;
    const double tLast = run.time[static_cast<size_t>(N) - 1];
    const double S = periodic ? 1.0 : tLast;
    std::array<std::vector<std::complex<long double>>, 6> X;
    for (int k = 0; k < 6; ++k) {
        X[static_cast<size_t>(k)].resize(static_cast<size_t>(bins));
        for (int i = 0; i < bins; ++i) {
            std::complex<long double> sum = 0;
            for (int j = 0; j < N; ++j) {
                long double x = g * run.samples[static_cast<size_t>(k)][static_cast<size_t>(j)];
                if (hanning) {
                    x *= (0.5L - 0.5L * std::cos(2.0L * kPi * j / N)) / 0.5L;
                }
                const long double angle = -2.0L * kPi * static_cast<long double>(i) * j / N;
                sum += x * std::complex<long double>(std::cos(angle), std::sin(angle));
            }
            X[static_cast<size_t>(k)][static_cast<size_t>(i)] = sum * (2.0L * S / N);
        }
    }
    Reference r;
    const double rho = s.plotnost;
    const double c = s.skorost;
    for (int a = 0; a < 3; ++a) {
        const double dr = s.lmic[static_cast<size_t>(a)];
        for (auto* group : {&r.I, &r.J, &r.K, &r.P}) {
            (*group)[static_cast<size_t>(a)].resize(static_cast<size_t>(bins));
        }
        for (int i = 1; i < bins; ++i) {
            const auto pp = X[static_cast<size_t>(2 * a)][static_cast<size_t>(i)];
            const auto pq = X[static_cast<size_t>(2 * a + 1)][static_cast<size_t>(i)];
            const long double f = i / static_cast<long double>(tLast);
            const size_t at = static_cast<size_t>(i);
            r.I[a][at] = static_cast<double>(-(pp * std::conj(pq)).imag() / (4 * kPi * f * rho * dr));
            r.J[a][at] = static_cast<double>((std::norm(pq) - std::norm(pp)) / (8 * kPi * f * rho * dr));
            r.K[a][at] = static_cast<double>(std::norm(pp - pq) / (16 * kPi * kPi * f * f * rho * dr * dr));
            r.P[a][at] = static_cast<double>(std::norm(pp + pq) / (16 * rho * c * c));
        }
        for (auto* group : {&r.I, &r.J, &r.K, &r.P}) {
            (*group)[static_cast<size_t>(a)][0] = (*group)[static_cast<size_t>(a)][1];
        }
    }
    return r;
}

// Deterministic, distinct content for each channel (no two channels alike).
void FillDistinct(ProbeRun& run)
{
    uint32_t state = 12345u;
    for (auto& channel : run.samples) {
        for (double& x : channel) {
            state = state * 1664525u + 1013904223u;
            x = static_cast<double>(state >> 8) / 16777216.0 * 200.0 - 100.0;
        }
    }
}

struct SpectraCase {
    const char* name;
    int impuls;
    bool testSignal;
    int windowItem;
    bool expectHanning;
};

class IntensitySpectraCases : public IntensityTest, public ::testing::WithParamInterface<SpectraCase> {};

// Every length from 4 to 40 (odd, prime, power of two): all twelve arrays against the
// definition. The cases cover the two pressure factors, the two amplitude factors, and the
// window that only a periodic signal gets.
TEST_P(IntensitySpectraCases, MatchTheDefinitionAtEveryLength)
{
    const SpectraCase& c = GetParam();
    CurrentSettings().impuls = c.impuls;
    CurrentSettings().VOLT = 0.005;   // 2 Pa per step for the test signal
    CurrentSettings().lmic = {0.5, 0.25, 0.1};
    CurrentSettings().Chuv = {3.0, 5.0, 7.0, 9.0, 11.0, 13.0};   // must not matter
    SetTestSignalFlag(c.testSignal);
    const double g = c.testSignal ? 2.0 : 0.1220703125;

    for (int N = 4; N <= 40; ++N) {
        ProbeRun run(N);
        FillDistinct(run);
        run.SetRate(1000.0);
        ASSERT_EQ(run.Compute(c.windowItem), kAnalysisOk) << "N = " << N;
        const Reference ref = ComputeReference(run, g, c.impuls == 1, c.expectHanning);
        const char* names[4] = {"I", "J", "K", "P"};
        const std::array<std::vector<double>, 3>* got[4] = {&run.I, &run.J, &run.K, &run.P};
        const std::array<std::vector<double>, 3>* want[4] = {&ref.I, &ref.J, &ref.K, &ref.P};
        for (int q = 0; q < 4; ++q) {
            for (int a = 0; a < 3; ++a) {
                const auto& computed = (*got[q])[static_cast<size_t>(a)];
                const auto& expected = (*want[q])[static_cast<size_t>(a)];
                double scale = 0.0;
                for (double v : expected) {
                    scale = std::max(scale, std::fabs(v));
                }
                for (size_t i = 0; i < computed.size(); ++i) {
                    EXPECT_TRUE(Near(names[q], i, computed[i], expected[i], scale, 1e-11))
                        << c.name << ", N = " << N << ", axis " << a;
                }
                EXPECT_EQ(computed[0], computed[1]) << names[q] << " axis " << a << ", N = " << N;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, IntensitySpectraCases,
                         ::testing::Values(SpectraCase{"periodic, file, no window", 1, false, 0, false},
                                           SpectraCase{"periodic, file, Hanning", 1, false, 2, true},
                                           SpectraCase{"periodic, test signal, Hanning", 1, true, 2, true},
                                           SpectraCase{"impulse, file, Hanning asked", 0, false, 2, false},
                                           SpectraCase{"impulse, test signal, no window", 0, true, 0, false}),
                         [](const ::testing::TestParamInfo<SpectraCase>& info) {
                             return std::to_string(info.index);
                         });

// A sine of A steps on bin m in both microphones of a pair, the second one leading by phi:
// closed-form values with the file factor 0.1220703125 Pa per step, whatever VOLT says.
TEST_F(IntensityTest, SineOnABinGivesTheClosedFormValues)
{
    CurrentSettings().VOLT = 1.0;   // would change everything if it were used for a file
    const int N = 64;
    const int m = 5;
    const double A = 1000.0;
    const double phi[3] = {0.3, -0.7, 0.0};
    ProbeRun run(N);
    run.SetRate(640.0);
    for (int a = 0; a < 3; ++a) {
        for (int j = 0; j < N; ++j) {
            const double w = 2.0 * kPi * m * j / N;
            run.samples[static_cast<size_t>(2 * a)][static_cast<size_t>(j)] = A * std::sin(w);
            run.samples[static_cast<size_t>(2 * a + 1)][static_cast<size_t>(j)] = A * std::sin(w + phi[a]);
        }
    }
    ASSERT_EQ(run.Compute(0), kAnalysisOk);
    const double p = A * 0.1220703125;   // Pa
    const double rho = 1.4;
    const double c = 340.0;
    const double dr = 0.5;
    const double f = m / run.time.back();
    for (int a = 0; a < 3; ++a) {
        const size_t at = m;
        const double scale = p * p / (rho * c);
        EXPECT_TRUE(
            Near("I", at, run.I[a][at], p * p * std::sin(phi[a]) / (4 * kPi * f * rho * dr), scale, 1e-12));
        EXPECT_TRUE(Near("J", at, run.J[a][at], 0.0, scale, 1e-12));
        const double kineticScale = p * p / (16 * kPi * kPi * f * f * rho * dr * dr);
        EXPECT_TRUE(Near("K", at, run.K[a][at], 4 * kineticScale * std::pow(std::sin(phi[a] / 2), 2),
                         kineticScale, 1e-12));
        EXPECT_TRUE(Near("P", at, run.P[a][at],
                         4 * p * p * std::pow(std::cos(phi[a] / 2), 2) / (16 * rho * c * c),
                         p * p / (rho * c * c), 1e-12));
    }
}

// Both microphones of every pair hear the same signal: no flow and no pressure gradient.
TEST_F(IntensityTest, IdenticalPairHasNoIntensityAndNoKineticEnergy)
{
    for (int impuls : {0, 1}) {
        CurrentSettings().impuls = impuls;
        ProbeRun run(50);
        FillDistinct(run);
        run.SetRate(500.0);
        for (int a = 0; a < 3; ++a) {
            run.samples[static_cast<size_t>(2 * a + 1)] = run.samples[static_cast<size_t>(2 * a)];
        }
        ASSERT_EQ(run.Compute(2), kAnalysisOk);
        const Reference ref = ComputeReference(run, 0.1220703125, impuls == 1, impuls == 1);
        for (int a = 0; a < 3; ++a) {
            for (size_t i = 0; i < run.I[a].size(); ++i) {
                EXPECT_EQ(run.I[a][i], 0.0) << "axis " << a << " bin " << i;
                EXPECT_EQ(run.J[a][i], 0.0) << "axis " << a << " bin " << i;
                EXPECT_EQ(run.K[a][i], 0.0) << "axis " << a << " bin " << i;
                // P = 4 W_p / (16 rho c^2)
                EXPECT_TRUE(Near("P", i, run.P[a][i], ref.P[a][i], ref.P[a][i], 1e-10));
                EXPECT_GT(run.P[a][i], 0.0);
            }
        }
    }
}

// Below four samples there is no bin 1 for bin 0 to copy: refused, and whatever bins exist
// are cleared (the sanitizer build checks that nothing past them is touched).
TEST_F(IntensityTest, FewerThanFourSamplesAreRefused)
{
    for (int N : {0, 1, 2, 3}) {
        ProbeRun run(N);
        FillDistinct(run);
        if (N > 0) {
            run.SetRate(100.0);
        }
        EXPECT_EQ(run.Compute(0), kIntensityTooFewSamples) << "N = " << N;
        for (auto* group : {&run.I, &run.J, &run.K, &run.P}) {
            for (const auto& axis : *group) {
                for (double v : axis) {
                    EXPECT_EQ(v, 0.0) << "N = " << N;
                }
            }
        }
    }
}

// ---- pressure factors of each channel ----------------------------------------------------

// Each channel in its own factor: the pair's cross spectrum, hence I, scales with the product of
// its two factors over the fixed factor squared, and every other quantity is that of the samples
// in their own pascals. Six equal factors are the one factor, bit for bit.
TEST_F(IntensityTest, OwnSensitivitiesScaleEachPairByItsTwoFactors)
{
    const double g0 = kFilePascalPerStep;
    for (int impuls : {0, 1}) {
        Settings& s = CurrentSettings();
        s = DefaultSettings();
        s.impuls = impuls;
        s.lmic = {0.5, 0.25, 0.1};
        ProbeRun fixed(48);
        FillDistinct(fixed);
        fixed.SetRate(960.0);
        ASSERT_EQ(fixed.Compute(2), kAnalysisOk);

        // Six equal factors: the results of the one factor, bit for bit.
        ProbeRun same = fixed;
        same.ownFactors = std::array<double, 6>{g0, g0, g0, g0, g0, g0};
        ASSERT_EQ(same.Compute(2), kAnalysisOk);
        EXPECT_EQ(same.I, fixed.I);
        EXPECT_EQ(same.J, fixed.J);
        EXPECT_EQ(same.K, fixed.K);
        EXPECT_EQ(same.P, fixed.P);

        const std::array<double, 6> g{0.25, 0.5, 0.625, 1.0, 1.25, 2.5};
        ProbeRun on = fixed;
        on.ownFactors = g;
        ASSERT_EQ(on.Compute(2), kAnalysisOk);
        ProbeRun inPascals = fixed;
        for (size_t k = 0; k < 6; ++k)
            for (double& x : inPascals.samples[k])
                x *= g[k];
        const Reference ref = ComputeReference(inPascals, 1.0, impuls == 1, impuls == 1);
        for (size_t a = 0; a < 3; ++a) {
            const double ratio = g[2 * a] * g[2 * a + 1] / (g0 * g0);
            ASSERT_NE(ratio, 1.0);
            double scale = 0.0;
            for (double v : fixed.I[a])
                scale = std::max(scale, std::fabs(v) * ratio);
            for (size_t i = 0; i < on.I[a].size(); ++i) {
                EXPECT_TRUE(Near("I", i, on.I[a][i], fixed.I[a][i] * ratio, scale, 1e-12)) << "axis " << a;
                EXPECT_TRUE(Near("J", i, on.J[a][i], ref.J[a][i], std::fabs(ref.J[a][i]) + scale, 1e-10));
                EXPECT_TRUE(Near("K", i, on.K[a][i], ref.K[a][i], std::fabs(ref.K[a][i]), 1e-10));
                EXPECT_TRUE(Near("P", i, on.P[a][i], ref.P[a][i], std::fabs(ref.P[a][i]), 1e-10));
            }
        }
    }
}

// ---- IntegrateBand ----------------------------------------------------------------------

// Twelve spectra of `bins` values with distinct contents, some negative.
struct Groups {
    explicit Groups(int bins)
    {
        uint32_t state = 99u;
        for (auto* group : {&I, &J, &K, &P}) {
            for (auto& axis : *group) {
                axis.resize(static_cast<size_t>(bins));
                for (double& v : axis) {
                    state = state * 1664525u + 1013904223u;
                    v = static_cast<double>(state >> 8) / 16777216.0 * 2.0 - 0.7;
                }
            }
        }
    }

    AnalysisStatus Integrate(int first, int end, double df)
    {
        const double* i[3];
        const double* j[3];
        const double* k[3];
        const double* p[3];
        for (int a = 0; a < 3; ++a) {
            i[a] = I[a].data();
            j[a] = J[a].data();
            k[a] = K[a].data();
            p[a] = P[a].data();
        }
        return IntegrateBand(first, end, static_cast<int>(I[0].size()), df, i, j, k, p, bandI, bandJ, bandK,
                             bandP, maxI, maxJ);
    }

    std::array<std::vector<double>, 3> I, J, K, P;
    std::array<double, 3> bandI{}, bandJ{}, bandK{}, bandP{};
    double maxI = -1.0;
    double maxJ = -1.0;
};

TEST(IntegrateBand, IsTheSimpsonLikeSumOverTheBand)
{
    const double df = 0.25;
    struct Band {
        int first;
        int end;
    };
    for (const Band band : {Band{3, 4}, Band{0, 2}, Band{1, 10}, Band{5, 16}, Band{0, 16}}) {
        Groups groups(16);
        ASSERT_EQ(groups.Integrate(band.first, band.end, df), kAnalysisOk);
        const std::array<std::vector<double>, 3>* spectra[4] = {&groups.I, &groups.J, &groups.K, &groups.P};
        const std::array<double, 3>* values[4] = {&groups.bandI, &groups.bandJ, &groups.bandK, &groups.bandP};
        for (int q = 0; q < 4; ++q) {
            for (int a = 0; a < 3; ++a) {
                const auto& s = (*spectra[q])[static_cast<size_t>(a)];
                double sum = 0.0;
                for (int i = band.first; i < band.end; ++i) {
                    sum += s[static_cast<size_t>(i)];
                }
                // One bin: (2/3) Q df.
                const double expected =
                    df *
                    (sum - (s[static_cast<size_t>(band.first)] + s[static_cast<size_t>(band.end - 1)]) / 6.0);
                EXPECT_NEAR((*values[q])[static_cast<size_t>(a)], expected, 1e-13)
                    << "group " << q << " axis " << a << " band " << band.first << " .. " << band.end;
            }
        }
        double largestI = 0.0;
        double largestJ = 0.0;
        for (int a = 0; a < 3; ++a) {
            largestI = std::max(largestI, std::fabs(groups.bandI[static_cast<size_t>(a)]));
            largestJ = std::max(largestJ, std::fabs(groups.bandJ[static_cast<size_t>(a)]));
        }
        EXPECT_EQ(groups.maxI, 1.5 * largestI);
        EXPECT_EQ(groups.maxJ, 1.5 * largestJ);
    }
}

TEST(IntegrateBand, SingleBinIsTwoThirdsOfTheValue)
{
    Groups groups(8);
    ASSERT_EQ(groups.Integrate(4, 5, 2.0), kAnalysisOk);
    for (int a = 0; a < 3; ++a) {
        EXPECT_DOUBLE_EQ(groups.bandK[static_cast<size_t>(a)], 2.0 / 3.0 * groups.K[a][4] * 2.0);
    }
}

TEST(IntegrateBand, ChartLimitsAreMagnitudes)
{
    Groups groups(6);
    for (auto& axis : groups.I) {
        std::fill(axis.begin(), axis.end(), -2.0);   // every band value negative
    }
    for (auto& axis : groups.J) {
        std::fill(axis.begin(), axis.end(), 0.0);
    }
    ASSERT_EQ(groups.Integrate(1, 5, 1.0), kAnalysisOk);
    // -2 (4 - 2/6) = -22/3 on each axis
    EXPECT_DOUBLE_EQ(groups.bandI[0], -22.0 / 3.0);
    EXPECT_DOUBLE_EQ(groups.maxI, 11.0);
    EXPECT_EQ(groups.maxJ, 0.0);
}

// Empty, reversed or out-of-range bands and unusable bin widths are refused before anything
// is read (the arrays are exactly `bins` long), with every output 0.
TEST(IntegrateBand, RefusesBandsItCannotRead)
{
    struct Case {
        int first;
        int end;
        double df;
        AnalysisStatus status;
    };
    const Case cases[] = {
        {5, 5, 1.0, kBandEmpty},
        {6, 5, 1.0, kBandEmpty},
        {8, 8, 1.0, kBandEmpty},   // no bin above the lower limit
        {-1, 3, 1.0, kBandOutsideSpectrum},
        {2, 9, 1.0, kBandOutsideSpectrum},
        {2, 5, 0.0, kBandBadBinWidth},
        {2, 5, -1.0, kBandBadBinWidth},
        {2, 5, std::numeric_limits<double>::quiet_NaN(), kBandBadBinWidth},
    };
    for (const Case& c : cases) {
        Groups groups(8);
        groups.bandI = groups.bandJ = groups.bandK = groups.bandP = {7.0, 7.0, 7.0};
        EXPECT_EQ(groups.Integrate(c.first, c.end, c.df), c.status) << c.first << " .. " << c.end;
        for (const auto* band : {&groups.bandI, &groups.bandJ, &groups.bandK, &groups.bandP}) {
            EXPECT_EQ(*band, (std::array<double, 3>{0.0, 0.0, 0.0}));
        }
        EXPECT_EQ(groups.maxI, 0.0);
        EXPECT_EQ(groups.maxJ, 0.0);
    }
}

// ---- SumBandHarmonics -------------------------------------------------------------------

double SumOf(const std::vector<double>& spectrum, int first, int end, AnalysisStatus* status = nullptr)
{
    double value = -123.0;
    const AnalysisStatus s =
        SumBandHarmonics(first, end, static_cast<int>(spectrum.size()), spectrum.data(), nullptr, value);
    if (status) {
        *status = s;
    } else {
        EXPECT_EQ(s, kAnalysisOk);
    }
    return value;
}

struct LineCase {
    const char* name;
    std::vector<double> spectrum;
    double expected;
};

class HarmonicLines : public ::testing::TestWithParam<LineCase> {};

TEST_P(HarmonicLines, SumWithTheirSigns)
{
    const LineCase& c = GetParam();
    const double value = SumOf(c.spectrum, 0, static_cast<int>(c.spectrum.size()));
    EXPECT_NEAR(value, c.expected, 1e-12 * std::max(1.0, std::fabs(c.expected))) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HarmonicLines,
    ::testing::Values(LineCase{"isolated positive line", {0, 0, 3, 0, 0, 0}, 3.0},
                      // Found on the magnitude: the two false +X/8 peaks beside a negative line are gone.
                      LineCase{"isolated negative line", {0, 0, -3, 0, 0, 0}, -3.0},
                      LineCase{"positive and negative lines", {0, 5, 0, 0, -2, 0, 0}, 3.0},
                      // A line spread over three bins by a Hanning window keeps its height and sign.
                      LineCase{"spread negative line", {0, -0.25, -1, -0.25, 0, 0}, -1.0},
                      // Largest magnitude 5: the threshold is 0.05, so 0.06 counts and 0.04 does not.
                      LineCase{"threshold with a loud line", {0, 5, 0, 0.06, 0, 0.04, 0, 0}, 5.06},
                      LineCase{
                          "threshold below a negative loud line", {0, -5, 0, 0.06, 0, -0.04, 0, 0}, -4.94},
                      // Largest magnitude 0.05: the threshold is 0.0005, with no absolute floor.
                      LineCase{"quiet band", {0, 0.05, 0, 0.0008, 0, 0.0004, 0, 0}, 0.0508},
                      LineCase{"very quiet band", {0, 2e-9, 0, -1e-9, 0, 0}, 1e-9},
                      LineCase{"height equal to the threshold is not counted", {0, 1, 0, 0.01, 0, 0}, 1.0},
                      LineCase{"all zero", {0, 0, 0, 0, 0}, 0.0},
                      // Every bin of the band is examined, up to the last ones, and short bands too.
                      LineCase{"line one bin before the end", {0, 2, 0, 0, 7, 0}, 9.0},
                      LineCase{"line in the last bin", {0, 2, 0, 0, 0, 7}, 9.0},
                      LineCase{"line in the first bin", {6, 0, 0, 2, 0}, 8.0},
                      LineCase{"spread line in the first bin", {-1, -0.25, 0, 0}, -1.0},
                      LineCase{"three bins", {0, 1, 0}, 1.0}, LineCase{"two bins", {0, 1}, 1.0},
                      LineCase{"one bin", {4}, 4.0}, LineCase{"one negative bin", {-4}, -4.0}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::to_string(info.index); });

// A band of positive values goes through the detector unchanged, so the sum is the sum of
// the detector's heights over the band itself, bit for bit.
TEST(SumBandHarmonics, PositiveBandIsTheDetectorSumExactly)
{
    std::vector<double> spectrum(300);
    uint32_t state = 7u;
    for (size_t i = 0; i < spectrum.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        const double line = (i % 7 == 3) ? 10.0 + (state >> 20) / 256.0 : 0.0;
        spectrum[i] = line + (state >> 8) / 16777216.0;
    }
    const int first = 11;
    const int end = 280;
    double largest = 0.0;
    for (int i = first; i < end; ++i) {
        largest = std::max(largest, spectrum[static_cast<size_t>(i)]);
    }
    PeakList peaks;
    ASSERT_EQ(DetectPeaks(spectrum.data() + first, end - first, 0.01 * largest, 3, kPeaks, false, peaks), 0);
    ASSERT_GT(peaks.count, 30);
    double expected = 0.0;
    for (int p = 0; p < peaks.count; ++p) {
        expected += peaks.amplitudes[p];
    }
    ReleasePeakList(peaks);
    EXPECT_EQ(SumOf(spectrum, first, end), expected);
}

// Lines just outside the band are seen (their bins are read for the fit at the edge) but
// not counted; the band's threshold comes from the band alone.
TEST(SumBandHarmonics, ReadsOnlyTheBand)
{
    const std::vector<double> spectrum = {0, 9, 0, 0, 2, 0, 0, 0, 9, 0};
    EXPECT_DOUBLE_EQ(SumOf(spectrum, 2, 8), 2.0);
    EXPECT_DOUBLE_EQ(SumOf(spectrum, 0, 10), 20.0);
}

// One line of height 1 at bin 20 of a longer spectrum, alone or spread over its neighbours
// by a Hanning window: every band that holds the peak's bin counts the line with its height,
// wherever the bin sits in the band; a band that holds only the line's skirt counts nothing.
TEST(SumBandHarmonics, LineAtTheBandEdgesCounts)
{
    struct Band {
        int first;
        int end;
        double expected;
    };
    const Band bands[] = {
        {20, 30, 1.0},                                                // first bin
        {10, 22, 1.0},                                                // second-to-last bin
        {10, 21, 1.0},                                                // last bin
        {19, 22, 1.0},                                                // three bins around the line
        {20, 22, 1.0}, {19, 21, 1.0}, {20, 21, 1.0}, {21, 30, 0.0},   // just above the line
        {10, 20, 0.0},                                                // just below it
    };
    for (const bool spread : {false, true}) {
        std::vector<double> spectrum(40, 0.0);
        spectrum[20] = 1.0;
        if (spread) {
            spectrum[19] = spectrum[21] = 0.25;
        }
        for (const Band& band : bands) {
            EXPECT_DOUBLE_EQ(SumOf(spectrum, band.first, band.end), band.expected)
                << (spread ? "spread" : "single") << " line, band " << band.first << " .. " << band.end;
        }
    }
}

// Two adjacent bands share out the lines of the whole band, whatever bin they are split at:
// lines on one bin, spread over three, split evenly between two bins, and negative ones, all
// well above the threshold of either part.
TEST(SumBandHarmonics, AdjacentBandsAddUpToTheWholeBand)
{
    std::vector<double> spectrum(48, 0.0);
    spectrum[4] = 3.0;
    spectrum[9] = -0.25;
    spectrum[10] = -2.0;
    spectrum[11] = -0.25;
    spectrum[16] = spectrum[17] = 1.5;   // a line halfway between two bins
    spectrum[22] = 0.1;
    spectrum[23] = 1.0;
    spectrum[24] = 0.6;
    spectrum[29] = 4.0;
    spectrum[30] = 2.0;
    spectrum[36] = -1.0;
    spectrum[40] = 0.5;
    spectrum[41] = 0.125;
    const int first = 2;
    const int end = 44;
    const double whole = SumOf(spectrum, first, end);
    // The vertex of the parabola through (a, b, c), centred on b: b + (c - a)^2 / (8 (2b - a - c)).
    auto vertex = [](double a, double b, double c) {
        return b + (c - a) * (c - a) / (8.0 * (2.0 * b - a - c));
    };
    const double lines = 3.0 - 2.0 + vertex(0.0, 1.5, 1.5) + vertex(0.1, 1.0, 0.6) + vertex(0.0, 4.0, 2.0) -
                         1.0 + vertex(0.0, 0.5, 0.125);
    EXPECT_NEAR(whole, lines, 1e-12);
    for (int split = first + 1; split < end; ++split) {
        const double lower = SumOf(spectrum, first, split);
        const double upper = SumOf(spectrum, split, end);
        EXPECT_NEAR(lower + upper, whole, 1e-12) << "split at " << split << ": " << lower << " + " << upper;
    }
}

TEST(SumBandHarmonics, RefusesBandsItCannotRead)
{
    RecordingPresenter presenter;
    const std::vector<double> spectrum = {0, 1, 0, 1, 0, 1};
    struct Case {
        int first;
        int end;
        AnalysisStatus status;
    };
    for (const Case c : {Case{3, 3, kBandEmpty}, Case{4, 2, kBandEmpty}, Case{6, 6, kBandEmpty},
                         Case{-1, 4, kBandOutsideSpectrum}, Case{0, 7, kBandOutsideSpectrum}}) {
        AnalysisStatus status = kAnalysisOk;
        EXPECT_EQ(SumOf(spectrum, c.first, c.end, &status), 0.0);
        EXPECT_EQ(status, c.status) << c.first << " .. " << c.end;
    }
    EXPECT_TRUE(presenter.messages.empty());
}

}   // namespace
