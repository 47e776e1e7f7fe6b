// Intensity spectra of six channels of 10^6 samples against their floor: six transforms of
// that length (each on a fresh copy, as the routine has to make one). The goal is the full
// routine within 1.5 x the floor, for an impulse (no window) and a periodic signal with the
// Hanning window (window list item 2).
#include "Intensity.h"
#include "RealDft.h"
#include "Settings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
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

void BM_SixRealDft(benchmark::State& state)
{
    const Segment& segment = TheSegment();
    std::vector<double> re(kSamples);
    std::vector<double> im(kSamples);
    for (auto _ : state) {
        for (const auto& channel : segment.samples) {
            std::copy(channel.begin(), channel.end(), re.begin());
            benchmark::DoNotOptimize(RealDft(re.data(), im.data(), kSamples));
        }
        benchmark::ClobberMemory();
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
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeIntensitySpectra(IntensityConstantsFrom(CurrentSettings(), TestSignalFlag()), windowItem, kSamples, channels, segment.time.data(),
                                                         groups[0], groups[1], groups[2], groups[3]));
        benchmark::ClobberMemory();
    }
    CurrentSettings() = saved;
}
BENCHMARK(BM_ComputeIntensitySpectra)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}   // namespace

BENCHMARK_MAIN();
