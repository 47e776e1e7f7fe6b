// Raw recording decoding speed: one 10 s frame at 40 kHz, and a scan of a large recording
// second by second, both from the page cache. The recordings are generated at start into the
// temporary folder and removed at the end; --io_mb=N sets the large one's size (default 1024).
#include "ReadIshFile.h"
#include "SampleGen.h"
#include "Settings.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace {
constexpr uint32_t kRate = 40000;

std::string g_tenSeconds;
std::string g_large;
uint32_t g_largeSeconds = 0;

struct FrameBuffers {
    explicit FrameBuffers(size_t n) : time(n)
    {
        for (int c = 0; c < 6; ++c) {
            data[c].resize(n);
            ptr[c] = data[c].data();
        }
    }
    std::array<std::vector<double>, 6> data;
    std::array<double*, 6> ptr{};
    std::vector<double> time;
};

bool openRecording(TReadIshFile& reader)
{
    uint16_t h, m, s;
    uint32_t rate;
    return reader.Open() == 0 && reader.ReadHeader(h, m, s, rate) == kRawHeaderOk && rate == kRate;
}

void BM_FrameRead10s(benchmark::State& state)
{
    const int step = static_cast<int>(state.range(0));
    TReadIshFile reader(g_tenSeconds, DefaultSettings());
    if (!openRecording(reader)) {
        state.SkipWithError("cannot open the 10 s recording");
        return;
    }
    const int count = static_cast<int>((10 * kRate + step - 1) / step);
    FrameBuffers frame(count);
    for (auto _ : state) {
        reader.ToStart();
        if (reader.ReadFrame(step, count, frame.time.data(), frame.ptr, 10) != 0) {
            state.SkipWithError("frame read failed");
            return;
        }
        benchmark::DoNotOptimize(frame.data[5].back());
    }
    // Bytes of the recording the frame spans.
    state.SetBytesProcessed(state.iterations() * int64_t{16} * 10 * kRate);
}
BENCHMARK(BM_FrameRead10s)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond);

void BM_WholeFileScan(benchmark::State& state)
{
    TReadIshFile reader(g_large, DefaultSettings());
    if (!openRecording(reader)) {
        state.SkipWithError("cannot open the large recording");
        return;
    }
    FrameBuffers frame(kRate);
    for (auto _ : state) {
        reader.ToStart();
        for (uint32_t second = 0; second < g_largeSeconds; ++second)
            if (reader.ReadFrame(1, kRate, frame.time.data(), frame.ptr, 1) != 0) {
                state.SkipWithError("frame read failed");
                return;
            }
        benchmark::DoNotOptimize(frame.data[0].front());
    }
    state.SetBytesProcessed(state.iterations() * int64_t{16} * kRate * g_largeSeconds);
}
BENCHMARK(BM_WholeFileScan)->Unit(benchmark::kMillisecond)->Iterations(3);

bool generate(const std::string& path, uint32_t seconds)
{
    RawRecordingSpec spec;
    spec.rate = kRate;
    spec.seconds = seconds;
    spec.noise = 200;
    std::string error;
    if (!WriteRawRecording(path, spec, &error)) {
        std::fprintf(stderr, "bench_io: %s\n", error.c_str());
        return false;
    }
    return true;
}
}   // namespace

int main(int argc, char** argv)
{
    long megabytes = 1024;
    std::vector<char*> args;
    for (int i = 0; i < argc; ++i) {
        if (std::strncmp(argv[i], "--io_mb=", 8) == 0)
            megabytes = std::max(1L, std::strtol(argv[i] + 8, nullptr, 10));
        else
            args.push_back(argv[i]);
    }
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());

    const auto dir = std::filesystem::temp_directory_path();
    const std::string tag = std::to_string(::getpid());
    g_tenSeconds = (dir / ("sonorix-bench-10s-" + tag + ".dat")).string();
    g_large = (dir / ("sonorix-bench-large-" + tag + ".dat")).string();
    g_largeSeconds = static_cast<uint32_t>(std::max<int64_t>(1, megabytes * 1048576 / (16 * kRate)));
    int status = 1;
    if (generate(g_tenSeconds, 10) && generate(g_large, g_largeSeconds)) {
        benchmark::RunSpecifiedBenchmarks();
        status = 0;
    }
    benchmark::Shutdown();
    std::error_code ignored;
    std::filesystem::remove(g_tenSeconds, ignored);
    std::filesystem::remove(g_large, ignored);
    return status;
}
