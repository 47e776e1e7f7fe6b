// Bands of steady noise against a simulated sound field: plane waves of noise built in the
// frequency domain (each record bin its own phase, or a complex Gaussian amplitude) and
// delayed to each microphone by the exact phase exp(-i omega n.x / c), so the truth is
// known without the code under test: levels and direction of one wave, the pairs'
// coherence under two incoherent waves, the random error against the spread of many
// independent records, and the temporal variability of steady and switched noise.
#include "RandomBands.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRho = 1.204;
constexpr double kC = 343.0;
constexpr double kDr = 0.025;
constexpr double kRate = 48000.0;

using Spectrum = std::function<double(double)>;   // one-sided PSD, Pa^2/Hz

struct Wave {
    std::array<double, 3> direction;   // unit vector the wave travels along
    Spectrum psd;
};

std::array<double, 3> Direction(double azimuthDeg, double elevationDeg)
{
    const double az = azimuthDeg * kPi / 180.0;
    const double el = elevationDeg * kPi / 180.0;
    return {std::cos(el) * std::cos(az), std::cos(el) * std::sin(az), std::sin(el)};
}

using Field = std::array<std::vector<double>, 6>;

// The six pressures of plane waves over `samples` samples (one period of the record): channel
// 2a at +dr/2 on axis a, 2a + 1 at -dr/2. A wave's record bin k has amplitude
// sqrt(2 S(f_k) df) times exp(i phase) (gaussian: a complex Gaussian of unit mean square), so
// S is the expected density and, with fixed magnitudes, also the record's own.
Field Simulate(const std::vector<Wave>& waves, size_t samples, std::mt19937_64& random, bool gaussian)
{
    const size_t bins = samples / 2 + 1;
    const double df = kRate / static_cast<double>(samples);
    std::vector<std::array<std::complex<double>, 6>> spectra(bins);
    std::normal_distribution<double> normal(0.0, std::sqrt(0.5));
    std::uniform_real_distribution<double> phase(0.0, 2.0 * kPi);
    for (const Wave& wave : waves) {
        for (size_t k = 1; k + 1 < bins; ++k) {
            const double f = static_cast<double>(k) * df;
            const std::complex<double> z = gaussian ? std::complex<double>(normal(random), normal(random))
                                                    : std::polar(1.0, phase(random));
            // The inverse sum below is unnormalised and doubles each bin with its mirror.
            const std::complex<double> a = std::sqrt(2.0 * wave.psd(f) * df) * z / 2.0;
            for (int m = 0; m < 6; ++m) {
                const double x = (m % 2 == 0 ? 0.5 : -0.5) * kDr * wave.direction[static_cast<size_t>(m / 2)];
                spectra[k][static_cast<size_t>(m)] += a * std::polar(1.0, -2.0 * kPi * f * x / kC);
            }
        }
    }
    Field field;
    fftw_complex* in = fftw_alloc_complex(bins);
    double* out = fftw_alloc_real(samples);
    const fftw_plan plan = fftw_plan_dft_c2r_1d(static_cast<int>(samples), in, out, FFTW_ESTIMATE);
    for (size_t m = 0; m < 6; ++m) {
        for (size_t k = 0; k < bins; ++k) {
            in[k][0] = spectra[k][m].real();
            in[k][1] = spectra[k][m].imag();
        }
        fftw_execute(plan);
        field[m].assign(out, out + samples);
    }
    fftw_destroy_plan(plan);
    fftw_free(in);
    fftw_free(out);
    return field;
}

AveragedSpectra Averaged(const Field& field, int n)
{
    AveragedSpectraSetup setup;
    setup.segmentLength = n;
    setup.sampleRate = kRate;
    AveragedSpectra engine(setup);
    const double* channels[6];
    for (size_t c = 0; c < 6; ++c)
        channels[c] = field[c].data();
    engine.feed(channels, static_cast<long long>(field[0].size()));
    engine.finish();
    return engine;
}

BandAnalysisOptions Options()
{
    BandAnalysisOptions options;
    options.fraction = 3;
    options.density = kRho;
    options.soundSpeed = kC;
    options.spacings = {kDr, kDr, kDr};
    return options;
}

// The band's true mean square as the band sums it: the density at each line the band holds
// (lower <= f_i < upper), times the line spacing.
double TrueBandPower(const Spectrum& psd, const OctaveBand& band, int n)
{
    const double df = kRate / n;
    double sum = 0.0;
    for (int i = 1; i < n / 2; ++i) {
        const double f = i * df;
        if (f >= band.lowerHz && f < band.upperHz)
            sum += psd(f) * df;
    }
    return sum;
}

double Kdr(double hz)
{
    return 2.0 * kPi * hz * kDr / kC;
}

Spectrum Pink()
{
    return [](double f) { return f >= 20.0 ? 0.2 / f : 0.0; };
}

// One pink plane wave from azimuth 30, elevation 20 degrees, 10 s: where k dr < 0.5 every
// band's L_I and L_p lie within 0.3 dB of the wave's, its direction within 1 degree and its
// index at 10 lg(rho c / 400).
TEST(RandomBands, PlaneWaveOfNoiseGivesItsLevelsAndDirection)
{
    std::mt19937_64 random(1);
    const Wave wave{Direction(30.0, 20.0), Pink()};
    const Field field = Simulate({wave}, 480000, random, false);
    const int n = SegmentLengthForLowestBand(kRate, 3, 100.0, 4);
    ASSERT_EQ(n, 16384);
    const AveragedSpectra engine = Averaged(field, n);
    const RandomBandAnalysis result = AnalyseRandomBands(engine, Options());
    ASSERT_EQ(result.confidence.size(), result.bands.bands.size());
    int checked = 0;
    double worstLi = 0.0, worstLp = 0.0, worstAngle = 0.0, worstIndex = 0.0;
    const double index = 10.0 * std::log10(kRho * kC / 400.0);
    for (const OctaveBand& band : result.bands.bands) {
        if (band.nominalHz < 100.0 || Kdr(band.midHz) >= 0.5)
            continue;
        SCOPED_TRACE(band.label);
        ++checked;
        const double power = TrueBandPower(wave.psd, band, n);
        const auto& levels = band.figures.levels;
        ASSERT_TRUE(levels.intensity && levels.pressure && levels.index);
        const double li = *levels.intensity - 10.0 * std::log10(power / (kRho * kC) / kReferenceIntensity);
        const double lp =
            *levels.pressure - 10.0 * std::log10(power / (kReferencePressure * kReferencePressure));
        const auto& I = band.figures.values.active;
        const double modulus = std::sqrt(I[0] * I[0] + I[1] * I[1] + I[2] * I[2]);
        const double cosine =
            (I[0] * wave.direction[0] + I[1] * wave.direction[1] + I[2] * wave.direction[2]) / modulus;
        const double angle = std::acos(std::min(1.0, cosine)) * 180.0 / kPi;
        EXPECT_LT(std::fabs(li), 0.3);
        EXPECT_LT(std::fabs(lp), 0.3);
        EXPECT_LT(angle, 1.0);
        EXPECT_NEAR(*levels.index, index, 0.3);
        worstLi = std::max(worstLi, std::fabs(li));
        worstLp = std::max(worstLp, std::fabs(lp));
        worstAngle = std::max(worstAngle, angle);
        worstIndex = std::max(worstIndex, std::fabs(*levels.index - index));
        // One wave: each pair fully coherent.
        for (int a = 0; a < 3; ++a)
            EXPECT_GT(result.confidence[&band - result.bands.bands.data()].coherence[a], 0.99);
    }
    EXPECT_EQ(checked, 11);   // 100 ... 1000 Hz
    std::printf("plane wave, %d bands: |dL_I| <= %.3f dB, |dL_p| <= %.3f dB, angle <= %.3f deg, "
                "|d index| <= %.3f dB\n",
                checked, worstLi, worstLp, worstAngle, worstIndex);
}

// Two incoherent waves along +x and -x, one low-passed and one high-passed at 2 kHz: the x
// pair's coherence at line i is |S_A e^{-i k dr} + S_B e^{+i k dr}|^2 / (S_A + S_B)^2, and the
// band's is its mean over the lines weighted by S_A + S_B: near 1 where either wave
// dominates, however far the phase turns across the band, and down to about 0.37 at the
// crossover; the y and z pairs, broadside to both waves, stay coherent.
TEST(RandomBands, CoherenceFallsWhereTwoIncoherentSourcesMeet)
{
    const auto low = [](double f) { return 0.01 / (1.0 + std::pow(f / 2000.0, 8.0)); };
    const auto high = [](double f) {
        const double r = std::pow(f / 2000.0, 8.0);
        return 0.01 * r / (1.0 + r);
    };
    std::mt19937_64 random(2);
    const Field field = Simulate({{{1.0, 0.0, 0.0}, low}, {{-1.0, 0.0, 0.0}, high}}, 192000, random, false);
    const int n = 4096;
    const RandomBandAnalysis result = AnalyseRandomBands(Averaged(field, n), Options());
    double lowest = 1.0, worst = 0.0;
    for (size_t b = 0; b < result.bands.bands.size(); ++b) {
        const OctaveBand& band = result.bands.bands[b];
        if (band.nominalHz < 200.0 || band.nominalHz > 10000.0)
            continue;
        SCOPED_TRACE(band.label);
        double weighted = 0.0, power = 0.0;
        const double df = kRate / n;
        for (int i = band.firstBin; i < band.endBin; ++i) {
            const double f = i * df;
            const std::complex<double> cross =
                low(f) * std::polar(1.0, -Kdr(f)) + high(f) * std::polar(1.0, Kdr(f));
            weighted += std::norm(cross) / (low(f) + high(f));
            power += low(f) + high(f);
        }
        const double expected = weighted / power;
        const auto& gamma = result.confidence[b].coherence;
        EXPECT_NEAR(gamma[0], expected, 0.03);
        if (band.nominalHz <= 800.0 || band.nominalHz >= 5000.0) {
            EXPECT_GT(gamma[0], 0.98);
        }
        EXPECT_GT(gamma[1], 0.99);
        EXPECT_GT(gamma[2], 0.99);
        lowest = std::min(lowest, gamma[0]);
        worst = std::max(worst, std::fabs(gamma[0] - expected));
    }
    EXPECT_LT(lowest, 0.5);
    std::printf("two sources: lowest x coherence %.3f, largest deviation from the field's %.4f\n", lowest,
                worst);
}

// The predicted normalised random error of each axis's band I against the spread of the band
// I over independent records of Gaussian noise (0.5 s each, 1024-point segments).
TEST(RandomBands, RandomErrorMatchesTheSpreadOfIndependentRecords)
{
    constexpr int kRecords = 300;
    const Wave wave{Direction(30.0, 25.0), [](double) { return 1e-4; }};
    const std::array<double, 3> nominals = {1000.0, 2000.0, 4000.0};
    std::array<std::array<double, 3>, 3> sum{}, sumSquares{}, predicted{};
    std::mt19937_64 random(3);
    for (int r = 0; r < kRecords; ++r) {
        const Field field = Simulate({wave}, 24000, random, true);
        const RandomBandAnalysis result = AnalyseRandomBands(Averaged(field, 1024), Options());
        for (size_t b = 0; b < result.bands.bands.size(); ++b) {
            const auto it = std::find(nominals.begin(), nominals.end(), result.bands.bands[b].nominalHz);
            if (it == nominals.end())
                continue;
            const size_t j = static_cast<size_t>(it - nominals.begin());
            for (size_t a = 0; a < 3; ++a) {
                const double I = result.bands.bands[b].figures.values.active[a];
                sum[j][a] += I;
                sumSquares[j][a] += I * I;
                predicted[j][a] += result.confidence[b].randomError[a] / kRecords;
            }
        }
    }
    double worst = 0.0;
    for (size_t j = 0; j < nominals.size(); ++j) {
        for (size_t a = 0; a < 3; ++a) {
            const double mean = sum[j][a] / kRecords;
            const double spread = std::sqrt((sumSquares[j][a] - kRecords * mean * mean) / (kRecords - 1));
            const double observed = spread / std::fabs(mean);
            EXPECT_NEAR(predicted[j][a] / observed, 1.0, 0.15) << nominals[j] << " Hz, axis " << a;
            worst = std::max(worst, std::fabs(predicted[j][a] / observed - 1.0));
            if (a == 0)
                std::printf("%g Hz: predicted %.4f, observed %.4f\n", nominals[j], predicted[j][a], observed);
        }
    }
    std::printf("random error: largest |predicted/observed - 1| = %.3f\n", worst);
}

// ISO 9614-1's F1 over ten slices: small for steady noise; for noise switched on half-way
// the slices' I are 0 and I, so F1 = sqrt(10/9) in every band.
TEST(RandomBands, TemporalVariabilityOfSteadyAndSwitchedNoise)
{
    std::mt19937_64 random(4);
    const Wave wave{Direction(10.0, 5.0), Pink()};
    Field field = Simulate({wave}, 480000, random, true);
    AveragedSpectraSetup setup;
    setup.segmentLength = 4096;
    setup.sampleRate = kRate;
    const auto variability = [&](const Field& f) {
        SlicedSpectra sliced(setup, static_cast<long long>(f[0].size()));
        const double* channels[6];
        for (size_t c = 0; c < 6; ++c)
            channels[c] = f[c].data();
        sliced.feed(channels, static_cast<long long>(f[0].size()));
        EXPECT_EQ(sliced.finish(), kAnalysisOk);
        BandAnalysisOptions options = Options();
        options.range = {true, 125.0, 8000.0};
        return AnalyseTemporalVariability(sliced, options);
    };
    const std::vector<BandVariability> steady = variability(field);
    ASSERT_EQ(steady.size(), 19u);
    double largest = 0.0;
    for (const BandVariability& band : steady) {
        EXPECT_TRUE(band.steady(0)) << band.label << ": " << band.f1[0];
        largest = std::max(largest, band.f1[0]);
    }
    for (auto& channel : field)
        std::fill(channel.begin(), channel.begin() + 240000, 0.0);
    const std::vector<BandVariability> switched = variability(field);
    ASSERT_EQ(switched.size(), steady.size());
    double smallest = 1e9;
    for (size_t b = 0; b < switched.size(); ++b) {
        EXPECT_FALSE(switched[b].steady(0)) << switched[b].label;
        EXPECT_NEAR(switched[b].f1[0], std::sqrt(10.0 / 9.0), 0.15) << switched[b].label;
        EXPECT_NEAR(switched[b].meanActive[0], steady[b].meanActive[0] / 2.0,
                    0.2 * std::fabs(steady[b].meanActive[0]));
        smallest = std::min(smallest, switched[b].f1[0]);
    }
    std::printf("F1: steady at most %.3f, switched at least %.3f\n", largest, smallest);
}

}   // namespace
