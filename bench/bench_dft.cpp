// Speed of the real DFT and of the six-channel amplitude spectra. Each transform size is also
// timed as FFTW alone does it: an FFTW_ESTIMATE real-to-complex plan made once, run, and its
// half spectrum written out as the two-sided result RealDft returns. The ratio of our time
// to that is reported as the counter "vs_fftw" on our benchmark (the goal is at most 1.15),
// with FFTW's time as "fftw_ms". Both sides of the ratio are thread CPU time, so that a busy
// machine distorts it less than it distorts wall-clock figures.
#include "RealDft.h"
#include "Spectra.h"

#include <benchmark/benchmark.h>

#include <ctime>
#include <map>
#include <random>
#include <vector>

#ifdef SONORIX_HAVE_FFTW
#include <fftw3.h>
#endif

namespace {

double ThreadSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + 1e-9 * static_cast<double>(ts.tv_nsec);
}

std::vector<double> Noise(size_t n, unsigned seed)
{
    std::mt19937_64 engine(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) {
        v = uniform(engine);
    }
    return x;
}

#ifdef SONORIX_HAVE_FFTW
// The two-sided result from FFTW's half spectrum, as RealDft writes it.
void ConjugateFill(const fftw_complex* out, int n, double* x, double* y)
{
    const int half = n / 2;
    for (int k = 0; k <= half; ++k) {
        x[k] = out[k][0];
        y[k] = out[k][1];
    }
    for (int k = half + 1; k < n; ++k) {
        x[k] = x[n - k];
        y[k] = -y[n - k];
    }
}

// Mean seconds per FFTW execution of size n with the conjugate fill (plan creation not timed).
double FftwSeconds(int n)
{
    static std::map<int, double> cache;
    if (auto it = cache.find(n); it != cache.end()) {
        return it->second;
    }
    std::vector<double> in = Noise(n, 1);
    std::vector<double> x(n), y(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), out, FFTW_ESTIMATE);
    fftw_execute(plan);
    int runs = 0;
    const double start = ThreadSeconds();
    double elapsed = 0.0;
    do {
        fftw_execute(plan);
        ConjugateFill(out, n, x.data(), y.data());
        ++runs;
        elapsed = ThreadSeconds() - start;
    } while (elapsed < 1.0 || runs < 3);
    fftw_destroy_plan(plan);
    fftw_free(out);
    return cache[n] = elapsed / runs;
}

void BM_FftwR2c(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    std::vector<double> in = Noise(n, 1);
    std::vector<double> x(n), y(n);
    fftw_complex* out = fftw_alloc_complex(n / 2 + 1);
    fftw_plan plan = fftw_plan_dft_r2c_1d(n, in.data(), out, FFTW_ESTIMATE);
    for (auto _ : state) {
        fftw_execute(plan);
        ConjugateFill(out, n, x.data(), y.data());
        benchmark::DoNotOptimize(x.data());
    }
    fftw_destroy_plan(plan);
    fftw_free(out);
}
#endif

void BM_RealDft(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const std::vector<double> input = Noise(n, 1);
    std::vector<double> x(n), y(n);
    double total = 0.0;
    int64_t runs = 0;
    for (auto _ : state) {
        state.PauseTiming();
        x = input;
        state.ResumeTiming();
        const double start = ThreadSeconds();
        benchmark::DoNotOptimize(RealDft(x.data(), y.data(), n));
        total += ThreadSeconds() - start;
        ++runs;
    }
#ifdef SONORIX_HAVE_FFTW
    const double fftw = FftwSeconds(n);
    state.counters["vs_fftw"] = (total / static_cast<double>(runs)) / fftw;
    state.counters["fftw_ms"] = fftw * 1e3;
#else
    (void)total;
    (void)runs;
#endif
}

void BM_ComputeAmplitudeSpectra(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const int windowItem = static_cast<int>(state.range(1));
    std::vector<std::vector<double>> channels, spectra;
    const double* in[6];
    double* out[6];
    for (int k = 0; k < 6; ++k) {
        channels.push_back(Noise(n, 10 + k));
        spectra.emplace_back(n / 2);
        in[k] = channels[k].data();
        out[k] = spectra[k].data();
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeAmplitudeSpectra(n, windowItem, true, 1.0, in, out));
    }
}

constexpr int64_t kSizes[] = {1 << 20, 1000000, 510510, 2018, 999983};

void Sizes(benchmark::internal::Benchmark* b)
{
    for (int64_t n : kSizes) {
        b->Arg(n);
    }
    b->Unit(benchmark::kMillisecond);
}

}   // namespace

BENCHMARK(BM_RealDft)->Apply(Sizes);
#ifdef SONORIX_HAVE_FFTW
BENCHMARK(BM_FftwR2c)->Apply(Sizes);
#endif
// Window item 0 (none) and 2 (Hanning).
BENCHMARK(BM_ComputeAmplitudeSpectra)->Args({1000000, 0})->Args({1000000, 2})->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
