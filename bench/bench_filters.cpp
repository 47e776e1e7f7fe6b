// Throughput of the band filters: each family, low-pass and band-pass, order 6, over 10^6
// samples of noise, reported as samples per second (items_per_second).
//
// `bench_filters --export=DIR` instead writes what tools/bench_sosfilt.py needs to run the very
// same cascades through a reference implementation: DIR/input.f64 (the noise, raw little-endian
// doubles), and per filter DIR/<name>.sos (one line per second-order stage, "b0 b1 b2 1 a1 a2",
// in cascade order) and DIR/<name>.out.f64 (this program's output, to compare against).
#include "Filters.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kCount = 1000000;
constexpr double kRate = 40000.0;
constexpr int kOrder = 6;

struct BenchFilter {
    const char* name;
    FilterFamily family;
    bool bandPass;
};

const BenchFilter kFilters[] = {
    {"butterworth_lowpass", FilterFamily::Butterworth, false},
    {"butterworth_bandpass", FilterFamily::Butterworth, true},
    {"chebyshev_lowpass", FilterFamily::Chebyshev, false},
    {"chebyshev_bandpass", FilterFamily::Chebyshev, true},
    {"elliptic_lowpass", FilterFamily::Elliptic, false},
    {"elliptic_bandpass", FilterFamily::Elliptic, true},
};

// Low-pass at 2 kHz, band-pass 500 Hz ... 2 kHz, at 40 kHz.
constexpr double kLower = 500.0;
constexpr double kUpper = 2000.0;

const std::vector<double>& Input()
{
    static const std::vector<double> samples = [] {
        std::mt19937_64 generator(12345);
        std::normal_distribution<double> normal(0.0, 1000.0);
        std::vector<double> noise(kCount);
        for (double& s : noise)
            s = normal(generator);
        return noise;
    }();
    return samples;
}

AnalysisStatus Filter(const BenchFilter& f, const double* input, double* output)
{
    switch (f.family) {
    case FilterFamily::Butterworth:
        return f.bandPass ? ButterworthBandPass(input, kCount, kRate, kLower, kUpper, kOrder, output)
                          : ButterworthLowPass(input, kCount, kRate, kUpper, kOrder, output);
    case FilterFamily::Chebyshev:
        return f.bandPass ? ChebyshevBandPass(input, kCount, kRate, kLower, kUpper, kDispatchRippleDb, kOrder,
                                              output)
                          : ChebyshevLowPass(input, kCount, kRate, kUpper, kDispatchRippleDb, kOrder, output);
    case FilterFamily::Elliptic:
        return f.bandPass ? EllipticBandPass(input, kCount, kRate, kLower, kUpper, kDispatchRippleDb,
                                             kDispatchAttenuationDb, kOrder, output)
                          : EllipticLowPass(input, kCount, kRate, kUpper, kDispatchRippleDb,
                                            kDispatchAttenuationDb, kOrder, output);
    }
    return kAnalysisOk;
}

FilterDesign Design(const BenchFilter& f)
{
    FilterDesign design;
    switch (f.family) {
    case FilterFamily::Butterworth:
        f.bandPass ? DesignButterworthBandPass(kRate, kLower, kUpper, kOrder, design)
                   : DesignButterworthLowPass(kRate, kUpper, kOrder, design);
        break;
    case FilterFamily::Chebyshev:
        f.bandPass ? DesignChebyshevBandPass(kRate, kLower, kUpper, kDispatchRippleDb, kOrder, design)
                   : DesignChebyshevLowPass(kRate, kUpper, kDispatchRippleDb, kOrder, design);
        break;
    case FilterFamily::Elliptic:
        f.bandPass
            ? DesignEllipticBandPass(kRate, kLower, kUpper, kDispatchRippleDb, kDispatchAttenuationDb, kOrder,
                                     design)
            : DesignEllipticLowPass(kRate, kUpper, kDispatchRippleDb, kDispatchAttenuationDb, kOrder, design);
        break;
    }
    return design;
}

void BM_Filter(benchmark::State& state, const BenchFilter& f)
{
    const std::vector<double>& input = Input();
    std::vector<double> output(kCount);
    for (auto _ : state) {
        if (Filter(f, input.data(), output.data()) != kAnalysisOk) {
            state.SkipWithError("filter refused its arguments");
            break;
        }
        benchmark::DoNotOptimize(output.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(kCount));
}

bool WriteDoubles(const std::string& path, const std::vector<double>& values)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool ok = std::fwrite(values.data(), sizeof(double), values.size(), file) == values.size();
    return std::fclose(file) == 0 && ok;
}

int Export(const std::string& directory)
{
    if (!WriteDoubles(directory + "/input.f64", Input())) {
        std::fprintf(stderr, "cannot write %s/input.f64\n", directory.c_str());
        return 1;
    }
    for (const BenchFilter& f : kFilters) {
        const FilterDesign design = Design(f);
        const std::string base = directory + "/" + f.name;
        std::FILE* sos = std::fopen((base + ".sos").c_str(), "w");
        if (!sos) {
            std::fprintf(stderr, "cannot write %s.sos\n", base.c_str());
            return 1;
        }
        for (int index = 0; index < design.SectionCount(); ++index) {
            const FilterSection section = design.Section(index);
            for (int j = 0; j < (section.order == 4 ? 2 : 1); ++j) {
                const Biquad& q = section.stage[j];
                std::fprintf(sos, "%.17g %.17g %.17g 1 %.17g %.17g\n", q.b0, q.b1, q.b2, q.a1, q.a2);
            }
        }
        std::fclose(sos);
        std::vector<double> output(kCount);
        Filter(f, Input().data(), output.data());
        if (!WriteDoubles(base + ".out.f64", output)) {
            std::fprintf(stderr, "cannot write %s.out.f64\n", base.c_str());
            return 1;
        }
    }
    return 0;
}

}   // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--export=", 9) == 0)
            return Export(argv[i] + 9);
    }
    for (const BenchFilter& f : kFilters) {
        benchmark::RegisterBenchmark((std::string("BM_Filter/") + f.name + "/order6/1e6").c_str(),
                                     [&f](benchmark::State& state) { BM_Filter(state, f); })
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
