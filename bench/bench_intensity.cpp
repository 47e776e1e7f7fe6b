// Intensity spectra of six channels of 10^6 samples against six full transforms of that
// length (each on a fresh copy), for an impulse (no window) and a periodic signal with the
// Hanning window (window list item 2). The routine takes half spectra only and spreads the
// axes over the cores; the counter "vs_six_dft" is its wall time over the six transforms'
// (the goal is at most 0.8).
#include "Intensity.h"
#include "RealDft.h"
#include "Settings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kSamples = 1000000;
constexpr double kRate = 100000.0;

struct Segment {
    Segment()
    {
        uint32_t state = 1u;
        for (auto& channel : samples) {
            channel.resize(kSamples);
            for (int j = 0; j < kSamples; ++j) {
                state = state * 1664525u + 1013904223u;
                channel[static_cast<size_t>(j)] =
                    2000.0 * std::sin(0.0031 * j) + static_cast<double>(state >> 20) - 2048.0;
            }
        }
        time.resize(kSamples);
        for (int j = 0; j < kSamples; ++j) {
            time[static_cast<size_t>(j)] = j / kRate;
        }
    }
    std::array<std::vector<double>, 6> samples;
    std::vector<double> time;
};

const Segment& TheSegment()
{
    static const Segment segment;
    return segment;
}

void SixRealDft(std::vector<double>& re, std::vector<double>& im)
{
    for (const auto& channel : TheSegment().samples) {
        std::copy(channel.begin(), channel.end(), re.begin());
        benchmark::DoNotOptimize(RealDft(re.data(), im.data(), kSamples));
    }
    benchmark::ClobberMemory();
}

// Mean wall seconds of six full transforms, measured once.
double SixRealDftSeconds()
{
    static const double seconds = [] {
        std::vector<double> re(kSamples), im(kSamples);
        SixRealDft(re, im);
        int runs = 0;
        const auto start = std::chrono::steady_clock::now();
        std::chrono::duration<double> elapsed{};
        do {
            SixRealDft(re, im);
            ++runs;
            elapsed = std::chrono::steady_clock::now() - start;
        } while (elapsed.count() < 1.0 || runs < 3);
        return elapsed.count() / runs;
    }();
    return seconds;
}

void BM_SixRealDft(benchmark::State& state)
{
    std::vector<double> re(kSamples);
    std::vector<double> im(kSamples);
    for (auto _ : state) {
        SixRealDft(re, im);
    }
}
BENCHMARK(BM_SixRealDft)->Unit(benchmark::kMillisecond);

// Argument: the setting impuls (0 impulse, 1 periodic with the Hanning window).
void BM_ComputeIntensitySpectra(benchmark::State& state)
{
    const Segment& segment = TheSegment();
    const Settings saved = CurrentSettings();
    CurrentSettings().impuls = static_cast<int32_t>(state.range(0));
    const int windowItem = state.range(0) == 1 ? 2 : 0;
    std::array<std::vector<double>, 12> results;
    double* groups[4][3];
    for (int q = 0; q < 4; ++q) {
        for (int a = 0; a < 3; ++a) {
            results[static_cast<size_t>(3 * q + a)].resize(kSamples / 2);
            groups[q][a] = results[static_cast<size_t>(3 * q + a)].data();
        }
    }
    const double* channels[6];
    for (int k = 0; k < 6; ++k) {
        channels[k] = segment.samples[static_cast<size_t>(k)].data();
    }
    std::array<double, 6> fixedFactors{};
    fixedFactors.fill(kFilePascalPerStep);
    const IntensityConstants constants = IntensityConstantsFrom(CurrentSettings(), fixedFactors);
    double total = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(ComputeIntensitySpectra(constants, windowItem, kSamples, channels,
                                                         segment.time.data(), groups[0], groups[1], groups[2],
                                                         groups[3]));
        benchmark::ClobberMemory();
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++runs;
    }
    state.counters["vs_six_dft"] = total / static_cast<double>(runs) / SixRealDftSeconds();
    CurrentSettings() = saved;
}
BENCHMARK(BM_ComputeIntensitySpectra)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
