// Series routines, the noise generator, cursor readouts and clock text.
#include "SignalUtils.h"

#include "CoreText.h"
#include "NumberText.h"

#include <algorithm>
#include <cmath>
#include <mutex>

AnalysisStatus IntegrateSeries(const double* x, int n, double dt, double initial, double final, double* y)
{
    if (n < 1) {
        return kSeriesTooShort;
    }
    if (!(dt > 0.0)) {
        return kBadSampleInterval;
    }
    const double weight = dt * 0.16666666666666666;
    double previous = initial;
    double current = x[0];
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        // Read x[i+1] before y[i] is written: y may be x.
        const double next = (i + 1 < n) ? x[i + 1] : final;
        sum += (previous + 4.0 * current + next) * weight;
        y[i] = sum;
        previous = current;
        current = next;
    }
    return kAnalysisOk;
}

AnalysisStatus DifferentiateSeries(const double* x, int n, double dt, double initial, double final, double* y)
{
    if (n <= 0) {
        return kSeriesTooShort;
    }
    if (!(dt > 0.0)) {
        return kBadSampleInterval;
    }
    const double factor = 0.5 / dt;
    double previous = initial;
    for (int i = 0; i < n; ++i) {
        const double current = x[i];
        const double next = (i + 1 < n) ? x[i + 1] : final;
        y[i] = (next - previous) * factor;
        previous = current;
    }
    return kAnalysisOk;
}

AnalysisStatus LinearMap(const double* x, int n, double a, double b, double* y)
{
    if (n <= 0) {
        return kSeriesTooShort;
    }
    for (int i = 0; i < n; ++i) {
        y[i] = a * x[i] + b;
    }
    return kAnalysisOk;
}

AnalysisStatus SubtractSeries(const double* x, const double* y, int n, double* z)
{
    if (n <= 0) {
        return kSeriesTooShort;
    }
    for (int i = 0; i < n; ++i) {
        z[i] = x[i] - y[i];
    }
    return kAnalysisOk;
}

void FindMinMax(int n, const double* a, double& min, double& max)
{
    if (n < 1) {
        min = 0.0;
        max = 0.0;
        return;
    }
    min = a[0];
    max = a[0];
    for (int i = 0; i < n; ++i) {
        if (a[i] > max) {
            max = a[i];
        }
        if (a[i] < min) {
            min = a[i];
        }
    }
}

namespace {

double ChannelFactor(const std::array<double, 6>& factors, int channel)
{
    return (channel >= 0 && channel < 6) ? factors[static_cast<size_t>(channel)] : 1.0;
}

}   // namespace

void LocalExtremes(int n, double lo, double hi, const double* x, const double* y, int channel,
                   const std::array<double, 6>& factors, double& min, double& max)
{
    if (n < 1) {
        min = 0.0;
        max = 0.0;
        return;
    }
    int start = 0;
    while (start < n && !(x[start] > lo)) {
        ++start;
    }
    if (start == n) {
        start = 0;
    }
    int end = start;
    while (end < n && !(x[end] > hi)) {
        ++end;
    }
    if (end == n) {
        end = n - 2;   // the last sample stays outside when hi lies beyond the data
    }
    if (end < start) {
        end = start;
    }
    const double factor = ChannelFactor(factors, channel);
    min = factor * y[start];
    max = min;
    for (int i = start; i <= end; ++i) {
        const double v = factor * y[i];
        if (v > max) {
            max = v;
        }
        if (v < min) {
            min = v;
        }
    }
}

namespace {

struct NoiseGenerator {
    std::mutex lock;
    int64_t s1 = 1234;
    int64_t s2 = 2345;
    int64_t s3 = 3456;
};

NoiseGenerator& Noise()
{
    static NoiseGenerator generator;
    return generator;
}

}   // namespace

AnalysisStatus UniformNoise(int n, double amplitude, int seed, double* y)
{
    if (n < 1) {
        return kSeriesTooShort;
    }
    NoiseGenerator& g = Noise();
    std::lock_guard<std::mutex> guard(g.lock);
    if (seed > 0) {
        // Unsigned products: the remainder mod 2^14 is the one of the exact product, and
        // a large seed cannot turn a stream value negative.
        g.s1 = seed;
        g.s2 = static_cast<int64_t>((static_cast<uint32_t>(g.s1) * 8191u) % 16384u);
        g.s3 = static_cast<int64_t>((static_cast<uint32_t>(g.s2) * 8191u) % 16384u);
    }
    const double scale = amplitude / 16384.0;
    for (int i = 0; i < n; ++i) {
        g.s1 = 171 * g.s1 % 30269;
        g.s2 = 172 * g.s2 % 30307;
        g.s3 = 170 * g.s3 % 30323;
        double u = static_cast<double>(g.s1) * (1.0 / 30269.0) + static_cast<double>(g.s2) * (1.0 / 30307.0) +
                   static_cast<double>(g.s3) * (1.0 / 30323.0);
        u -= std::trunc(u);
        const int r = static_cast<int>(u * 32768.0);
        y[i] = static_cast<double>(r - 16383) * scale;
    }
    return kAnalysisOk;
}

std::array<int32_t, 3> NoiseState()
{
    NoiseGenerator& g = Noise();
    std::lock_guard<std::mutex> guard(g.lock);
    return {static_cast<int32_t>(g.s1), static_cast<int32_t>(g.s2), static_cast<int32_t>(g.s3)};
}

void SetNoiseState(const std::array<int32_t, 3>& state)
{
    NoiseGenerator& g = Noise();
    std::lock_guard<std::mutex> guard(g.lock);
    g.s1 = state[0];
    g.s2 = state[1];
    g.s3 = state[2];
}

namespace {

// First index in first ... last whose x exceeds value; `last` when none does.
int CursorIndex(int first, int last, const double* x, double value)
{
    for (int i = first; i <= last; ++i) {
        if (x[i] > value) {
            return i;
        }
    }
    return last;
}

}   // namespace

void BuildCursorReadouts(int /*pixel1*/, int /*pixel2*/, int first, int last, const double* x,
                         const double* const channels[6], std::array<std::string, 3>& texts, double cursor1,
                         double cursor2, bool spectrumView, const std::array<double, 6>& factors)
{
    if (spectrumView) {
        texts = {CoreText("SignalUtils", "f(Гц)= "), CoreText("SignalUtils", "f(Гц)= "),
                 CoreText("SignalUtils", "df(Гц)= ")};
    } else {
        texts = {CoreText("SignalUtils", "t(с)= "), CoreText("SignalUtils", "t(с)= "),
                 CoreText("SignalUtils", "dt(с)= ")};
    }
    if (first < 0 || last < first) {
        return;
    }
    const int i1 = CursorIndex(first, last, x, cursor1);
    const int i2 = CursorIndex(first, last, x, cursor2);
    texts[0] += NumberText(x[i1], 1) + ";";
    texts[1] += NumberText(x[i2], 1) + ";";
    texts[2] += NumberText(std::fabs(x[i2] - x[i1]), 1) + ";";
    for (int c = 0; c < 6; ++c) {
        texts[0] += " K" + std::to_string(c + 1) + "=" + NumberText(factors[c] * channels[c][i1], 1) + ";";
    }
    for (int c = 0; c < 6; ++c) {
        texts[1] += " K" + std::to_string(c + 1) + "=" + NumberText(factors[c] * channels[c][i2], 1) + ";";
    }
    for (int c = 0; c < 6; ++c) {
        texts[2] += " DK" + std::to_string(c + 1) + "=" +
                    NumberText((channels[c][i2] - channels[c][i1]) * factors[c], 1) + ";";
    }
}

namespace {

std::string TwoDigits(int64_t value)
{
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}   // namespace

std::string FormatClockTime(double seconds, bool withFraction)
{
    if (!std::isfinite(seconds)) {
        seconds = 0.0;
    }
    const bool negative = seconds < 0.0;
    // Beyond about 10^11 years the hour count would not fit its integer; such a value can
    // only be garbage, so it is clamped rather than allowed to overflow.
    const double magnitude = std::min(std::fabs(seconds), 3.6e15);
    int64_t hours = static_cast<int64_t>(magnitude * 0.0002777777777777778);
    int64_t minutes = static_cast<int64_t>(magnitude / 60.0 - 60.0 * static_cast<double>(hours));
    // Rounding in the two lines above can leave minutes at 60 or just below a boundary.
    if (minutes >= 60) {
        minutes -= 60;
        ++hours;
    }
    double rest = magnitude - 3600.0 * static_cast<double>(hours) - 60.0 * static_cast<double>(minutes);
    if (rest < 0.0) {
        rest = 0.0;
    }
    std::string secondsText;
    if (withFraction) {
        secondsText = NumberText(rest, 2);
        // The text, not the value, decides: 59.999 reads 60,00 and so is the next minute.
        const std::string whole = secondsText.substr(0, secondsText.size() - 3);
        if (std::stoi(whole) >= 60) {
            secondsText = NumberText(0.0, 2);
            ++minutes;
        }
        if (secondsText.size() - 3 < 2) {
            secondsText.insert(secondsText.begin(), '0');
        }
    } else {
        if (rest >= 60.0) {
            rest -= 60.0;
            ++minutes;
        }
        secondsText = TwoDigits(static_cast<int64_t>(rest));
    }
    if (minutes >= 60) {
        minutes -= 60;
        ++hours;
    }
    return (negative ? "-" : "") + TwoDigits(hours) + ":" + TwoDigits(minutes) + ":" + secondsText;
}
