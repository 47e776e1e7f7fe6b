#include "ProcessingData.h"

#include "FrequencyAxis.h"

#include "CoreText.h"
#include "LargeBuffer.h"
#include "NumberText.h"
#include "SignalUtils.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <sstream>

void ProcessingData::Allocate(int32_t n)
{
    Release();
    segment.Allocate(n);
}

ProcessingData::Channels& ProcessingData::editableSamples()
{
    if (working[0].empty())
        for (size_t c = 0; c < 6; ++c)
            CopyLarge(working[c], segment.channels[c]);
    return working;
}

void ProcessingData::replaceSamples(Channels&& replaced, const std::array<bool, 6>& which)
{
    const bool shared = working[0].empty();
    for (size_t c = 0; c < 6; ++c) {
        if (which[c])
            working[c] = std::move(replaced[c]);
        else if (shared)
            CopyLarge(working[c], segment.channels[c]);
    }
}

void ProcessingData::TakeSnapshot()
{
    for (size_t c = 0; c < 6; ++c)
        CopyLarge(snapshot[c], samples()[c]);
}

void ProcessingData::resetSamples()
{
    for (auto& c : working)
        std::vector<double>().swap(c);
}

namespace {

template <typename Curves> void SizeCurves(Curves& curves, size_t size)
{
    for (auto& c : curves)
        if (c.size() != size)
            AssignLarge(c, size);
}

}   // namespace

void ProcessingData::EnsureSpectra()
{
    SizeCurves(spectra, static_cast<size_t>(halfCount()));
    if (frequency.size() != static_cast<size_t>(halfCount()))
        AssignLarge(frequency, static_cast<size_t>(halfCount()));
}

void ProcessingData::EnsureIntensity()
{
    SizeCurves(intensity, static_cast<size_t>(halfCount()));
}

void ProcessingData::EnsureDb()
{
    SizeCurves(db, static_cast<size_t>(halfCount()));
}

void ProcessingData::Release()
{
    segment.Clear();
    for (Channels* set : {&working, &snapshot, &spectra, &db})
        for (auto& c : *set)
            std::vector<double>().swap(c);
    for (auto& curve : intensity)
        std::vector<double>().swap(curve);
    std::vector<double>().swap(frequency);
}

std::array<const double*, 6> ProcessingData::ConstPointers(const Channels& set)
{
    std::array<const double*, 6> p{};
    for (int c = 0; c < 6; ++c)
        p[c] = set[c].data();
    return p;
}

std::array<double*, 6> ProcessingData::Pointers(Channels& set)
{
    std::array<double*, 6> p{};
    for (int c = 0; c < 6; ++c)
        p[c] = set[c].data();
    return p;
}

int64_t ProcessingBytesNeeded(int64_t n)
{
    if (n <= 0)
        return 0;
    // Doubles per sample when every command has run: as-read, working, snapshot (6 each),
    // spectra and dB (6 x N/2 each), intensity (12 x N/2), time and frequency axes (2), the
    // filtering's copies of the working samples (6) and the test signal's noise buffer (1).
    // A long curve's chart keeps no copy of its points.
    constexpr int64_t doublesPerSample = 6 * 3 + 3 + 3 + 6 + 2 + 6 + 1;
    constexpr int64_t limit = std::numeric_limits<int64_t>::max() / (doublesPerSample * 8);
    return n > limit ? std::numeric_limits<int64_t>::max() : n * doublesPerSample * 8;
}

namespace {

// The address space the process may still take under its limit (ulimit -v), or -1 when it has
// none: memory free in the system is of no use beyond it.
int64_t AddressSpaceLeft()
{
    struct rlimit limit {};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY)
        return -1;
    std::ifstream status("/proc/self/status");
    int64_t used = 0;
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmSize:", 0) == 0) {
            used = std::atoll(line.c_str() + 7) * 1024;
            break;
        }
    const auto cap =
        static_cast<int64_t>(std::min<rlim_t>(limit.rlim_cur, std::numeric_limits<int64_t>::max()));
    return std::max<int64_t>(0, cap - used);
}

int64_t SystemMemoryAvailable()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    int64_t value = 0;
    std::string unit;
    while (meminfo >> key >> value) {
        std::getline(meminfo, unit);
        if (key == "MemAvailable:")
            return value * 1024;
    }
    const long pages = sysconf(_SC_AVPHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0)
        return static_cast<int64_t>(pages) * pageSize;
    return -1;
}

}   // namespace

int64_t AvailableMemoryBytes()
{
    const int64_t system = SystemMemoryAvailable();
    const int64_t left = AddressSpaceLeft();
    if (left < 0)
        return system;
    return system < 0 ? left : std::min(system, left);
}

namespace {

std::string SizeText(int64_t bytes)
{
    const double gib = static_cast<double>(bytes) / (1024.0 * 1024.0 * 1024.0);
    if (gib >= 1.0)
        return FillArgs(CoreText("ProcessingData", "%1 ГБ"), {NumberText(gib, 1)});
    return FillArgs(CoreText("ProcessingData", "%1 МБ"),
                    {NumberText(static_cast<double>(bytes) / (1024.0 * 1024.0), 0)});
}

}   // namespace

std::string MemoryRefusalText(int64_t samples, int64_t need, int64_t available)
{
    if (available >= 0)
        return FillArgs(CoreText("ProcessingData",
                                 "Недостаточно памяти: для %1 отсчетов на канал нужно около %2, "
                                 "а доступно %3. Уменьшите частоту оцифровки или длительность."),
                        {std::to_string(samples), SizeText(need), SizeText(available)});
    return FillArgs(CoreText("ProcessingData",
                             "Недостаточно памяти: для %1 отсчетов на канал нужно около %2. "
                             "Уменьшите частоту оцифровки или длительность."),
                    {std::to_string(samples), SizeText(need)});
}

std::array<double, 6> DisplayFactors(int unitItem, bool testSignal, double volt,
                                     const std::array<double, 6>& paPerVolt)
{
    std::array<double, 6> f{};
    for (int c = 0; c < 6; ++c) {
        if (unitItem == kUnitPascal)
            f[c] = testSignal ? volt * 400.0 : volt * paPerVolt[c];
        else if (unitItem == kUnitVolt)
            f[c] = volt;
        else
            f[c] = 1.0;
    }
    return f;
}

double DbValue(double spectrum, double factor)
{
    const double v = 0.1220703125 * spectrum / factor;
    if (!(v >= 0.0001) || !std::isfinite(v))
        return 0.0;
    return 20.0 * (std::log10(v) - std::log10(2e-5));
}

int CursorGrabTarget(bool cursorsOn, int x, int cursor1, int cursor2, int tolerance)
{
    int target = 0;
    if (cursorsOn && std::abs(x - cursor1) <= tolerance)
        target = 1;
    if (cursorsOn && std::abs(x - cursor2) <= tolerance)
        target = 2;
    return target;
}

int NyquistLimit(const double* time, int32_t count)
{
    if (count < 2)
        return 0;
    const double nyquist = 0.5 / (time[1] - time[0]);
    if (!(nyquist > 0))
        return 0;
    if (nyquist >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    return static_cast<int>(nyquist);
}

bool ProcessingData::PairSums()
{
    if (!HasSnapshot())
        return false;
    Channels& working = editableSamples();
    for (int p = 0; p < 3; ++p) {
        const auto& a = snapshot[2 * p];
        const auto& b = snapshot[2 * p + 1];
        auto& sum = working[2 * p];
        for (size_t k = 0; k < static_cast<size_t>(count()); ++k)
            sum[k] = a[k] + b[k];
        std::fill(working[2 * p + 1].begin(), working[2 * p + 1].end(), 0.0);
    }
    return true;
}

bool ProcessingData::PairDifferences()
{
    if (!HasSnapshot())
        return false;
    Channels& working = editableSamples();
    for (int p = 0; p < 3; ++p) {
        SubtractSeries(snapshot[2 * p].data(), snapshot[2 * p + 1].data(), count(), working[2 * p].data());
        std::fill(working[2 * p + 1].begin(), working[2 * p + 1].end(), 0.0);
    }
    return true;
}

bool ProcessingData::IntegrateChannels()
{
    if (!HasSnapshot())
        return false;
    Channels& working = editableSamples();
    for (int c = 0; c < 6; ++c)
        IntegrateSeries(snapshot[c].data(), count(), timeStep(), 0.0, 0.0, working[c].data());
    return true;
}

bool ProcessingData::DifferentiateChannels()
{
    if (!HasSnapshot())
        return false;
    Channels& working = editableSamples();
    for (int c = 0; c < 6; ++c)
        DifferentiateSeries(snapshot[c].data(), count(), timeStep(), 0.0, 0.0, working[c].data());
    return true;
}

bool ProcessingData::PairVelocities(double density, const std::array<double, 3>& spacings)
{
    const int n = count();
    if (!HasSnapshot())
        return false;
    std::vector<double> difference(static_cast<size_t>(n));
    Channels& working = editableSamples();
    for (int p = 0; p < 3; ++p) {
        // Euler's equation: the pressure gradient across the pair, integrated over time.
        SubtractSeries(snapshot[2 * p + 1].data(), snapshot[2 * p].data(), n, difference.data());
        double* velocity = working[2 * p].data();
        IntegrateSeries(difference.data(), n, timeStep(), 0.0, 0.0, velocity);
        LinearMap(velocity, n, 1.0 / (density * spacings[static_cast<size_t>(p)]), 0.0, velocity);
        std::fill(working[2 * p + 1].begin(), working[2 * p + 1].end(), 0.0);
    }
    return true;
}

bool ProcessingData::BridgeLinearly(double x1, double x2)
{
    const int n = count();
    if (n < 2)
        return false;
    const double* t = segment.time.data();
    const int i1 = static_cast<int>(std::lower_bound(t, t + n, x1) - t);
    const int i2 = static_cast<int>(std::lower_bound(t, t + n, x2) - t);
    if (i1 >= n || i2 >= n || i1 == i2)
        return false;
    // Samples with x1 <= t <= x2; none when x1 lies right of x2.
    const int to = static_cast<int>(std::upper_bound(t, t + n, x2) - t);
    Channels& working = editableSamples();
    for (int c = 0; c < 6; ++c) {
        double* w = working[c].data();
        const double slope = (w[i2] - w[i1]) / (t[i2] - t[i1]);
        const double offset = w[i1] - slope * t[i1];
        for (int k = i1; k < to; ++k)
            w[k] = slope * t[k] + offset;
    }
    return true;
}

void ProcessingData::FillFrequencies()
{
    const int n = count();
    if (n < 1)
        return;
    if (frequency.size() != static_cast<size_t>(halfCount()))
        AssignLarge(frequency, static_cast<size_t>(halfCount()));
    FillBinFrequencies(SpectrumBinWidth(segment.time.data(), n), halfCount(), frequency.data());
}

void ProcessingData::FillDb(const std::array<double, 6>& factors)
{
    for (int c = 0; c < 6; ++c)
        for (int k = 0; k < halfCount(); ++k)
            db[c][static_cast<size_t>(k)] = DbValue(spectra[c][static_cast<size_t>(k)], factors[c]);
}
