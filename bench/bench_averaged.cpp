// The averaged-spectra engine on 60 s of six channels of noise at 48 kHz, 4096-point Hanning
// segments at 50 % overlap, against FFTW running the same number of 4096-point real
// transforms on its own (no window, no ring, no sums). The stream is one second of noise fed
// sixty times in blocks of a second, as a file reader would give it. Counters: "realtime_x",
// seconds of recording per second of wall time (the goal is several hundred on two cores);
// "vs_fftw", the wall time over the bare transforms'; "cpu_realtime_x", seconds of recording
// per second of the process's CPU time over all threads, which a busy machine leaves alone. The two-thread
// run gives each of two engines its part of the minute (AveragedSpectra::partOf) and merges their sums.
#include "AveragedSpectra.h"

#include <benchmark/benchmark.h>

#include <fftw3.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <cstdint>
#include <thread>
#include <vector>

namespace {

double ProcessCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

constexpr double kRate = 48000.0;
constexpr int kSecond = 48000;
constexpr int kSeconds = 60;
constexpr int kSegment = 4096;

struct Noise {
    Noise()
    {
        uint32_t state = 1u;
        for (auto& channel : samples) {
            channel.resize(kSecond);
            for (auto& x : channel) {
                state = state * 1664525u + 1013904223u;
                x = static_cast<double>(state >> 20) - 2048.0;
            }
        }
        for (size_t c = 0; c < 6; ++c)
            pointers[c] = samples[c].data();
    }
    std::array<std::vector<double>, 6> samples;
    std::array<const double*, 6> pointers{};
};

const Noise& TheNoise()
{
    static const Noise noise;
    return noise;
}

AveragedSpectraSetup Setup()
{
    AveragedSpectraSetup setup;
    setup.segmentLength = kSegment;
    setup.sampleRate = kRate;
    return setup;
}

long long SegmentsOf(long long samples)
{
    return (samples - kSegment) / (kSegment / 2) + 1;
}

// Samples begin ... end - 1 of the minute, the one second of noise repeating.
void Feed(AveragedSpectra& engine, long long begin, long long end)
{
    while (begin < end) {
        const long long offset = begin % kSecond;
        const long long count = std::min(end - begin, kSecond - offset);
        const double* channels[6];
        for (size_t c = 0; c < 6; ++c)
            channels[c] = TheNoise().pointers[c] + offset;
        engine.feed(channels, count);
        begin += count;
    }
}

// Mean wall seconds of six transforms per segment of the minute, measured once.
double FftwSeconds()
{
    static const double seconds = [] {
        double* in = fftw_alloc_real(kSegment);
        fftw_complex* out = fftw_alloc_complex(kSegment / 2 + 1);
        const fftw_plan plan = fftw_plan_dft_r2c_1d(kSegment, in, out, FFTW_ESTIMATE);
        const long long transforms = 6 * SegmentsOf(static_cast<long long>(kSeconds) * kSecond);
        const auto run = [&] {
            for (long long t = 0; t < transforms; ++t) {
                const double* source = TheNoise().samples[static_cast<size_t>(t % 6)].data();
                for (int i = 0; i < kSegment; ++i)
                    in[i] = source[i];
                fftw_execute(plan);
                benchmark::DoNotOptimize(out[1][0]);
            }
        };
        run();
        int runs = 0;
        const auto start = std::chrono::steady_clock::now();
        std::chrono::duration<double> elapsed{};
        do {
            run();
            ++runs;
            elapsed = std::chrono::steady_clock::now() - start;
        } while (elapsed.count() < 1.0 || runs < 3);
        fftw_destroy_plan(plan);
        fftw_free(in);
        fftw_free(out);
        return elapsed.count() / runs;
    }();
    return seconds;
}

void BM_FftwSegments(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(FftwSeconds());
    state.counters["seconds"] = FftwSeconds();
    state.counters["realtime_x"] = kSeconds / FftwSeconds();
}
BENCHMARK(BM_FftwSegments)->Iterations(1)->Unit(benchmark::kMillisecond);

// Argument: threads, 1 or 2.
void BM_AveragedSpectra(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    TheNoise();
    double total = 0.0;
    double cpu = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ProcessCpuSeconds();
        const long long samples = static_cast<long long>(kSeconds) * kSecond;
        AveragedSpectra engine(Setup());
        if (threads == 1) {
            Feed(engine, 0, samples);
        } else {
            // Each thread its own part; the parts' sums are merged into the first engine.
            std::vector<AveragedSpectra> parts;
            for (int t = 0; t < threads; ++t)
                parts.emplace_back(Setup());
            std::vector<std::thread> workers;
            for (int t = 0; t < threads; ++t) {
                workers.emplace_back([&, t] {
                    const AveragedSpectra::Stretch stretch = engine.partOf(samples, threads, t);
                    Feed(parts[static_cast<size_t>(t)], stretch.begin, stretch.end);
                });
            }
            for (auto& w : workers)
                w.join();
            for (const auto& part : parts)
                engine.merge(part);
        }
        benchmark::DoNotOptimize(engine.finish());
        total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        cpu += ProcessCpuSeconds() - cpuStart;
        ++runs;
    }
    const double seconds = total / static_cast<double>(runs);
    state.counters["cpu_realtime_x"] = kSeconds * static_cast<double>(runs) / cpu;
    state.counters["realtime_x"] = kSeconds / seconds;
    state.counters["vs_fftw"] = seconds / FftwSeconds();
}
BENCHMARK(BM_AveragedSpectra)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

}   // namespace

BENCHMARK_MAIN();
