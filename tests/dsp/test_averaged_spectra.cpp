// The Welch engine: density scale of every window against a sinusoid's mean square, the
// pair's cross-spectrum phase, independence from how the stream is cut, constant memory,
// the effective number of averages against the Hanning window's known overlap correlations,
// the segment-length helpers, the slices and the refusals.
#include "AveragedSpectra.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;

// Six channels of a deterministic noise (a linear congruential generator), plus a tone.
struct Channels {
    explicit Channels(size_t n, uint32_t seed = 7u)
    {
        uint32_t state = seed;
        for (auto& ch : data) {
            ch.resize(n);
            for (size_t i = 0; i < n; ++i) {
                state = state * 1664525u + 1013904223u;
                ch[i] = static_cast<double>(state >> 8) / 16777216.0 - 0.5 +
                        std::sin(0.01 * static_cast<double>(i));
            }
        }
    }
    std::array<const double*, 6> at(size_t offset) const
    {
        std::array<const double*, 6> p{};
        for (size_t c = 0; c < 6; ++c)
            p[c] = data[c].data() + offset;
        return p;
    }
    std::array<std::vector<double>, 6> data;
};

AveragedSpectraSetup MakeSetup(int n, double overlap, int item, double rate = 48000.0)
{
    AveragedSpectraSetup s;
    s.segmentLength = n;
    s.overlap = overlap;
    s.windowItem = item;
    s.sampleRate = rate;
    return s;
}

// Every window of the list gives densities whose integral is the mean square: a sinusoid of
// amplitude A between two lines (so the window's leakage matters) in channel p, the same
// sinusoid delayed by a quarter period in q; factors 2 and 3 Pa per unit.
TEST(AveragedSpectra, DensitiesIntegrateToTheMeanSquareForEveryWindow)
{
    const double rate = 8192.0;
    const int n = 1024;
    const double hz = 1004.37;   // between lines 125 and 126 (df = 8 Hz)
    const double A = 1.5;
    const size_t samples = 64 * 1024;
    std::array<std::vector<double>, 6> x;
    for (size_t c = 0; c < 6; ++c) {
        x[c].resize(samples);
        const double delay = (c % 2 == 1) ? 0.25 / hz : 0.0;
        for (size_t i = 0; i < samples; ++i)
            x[c][i] = A * std::cos(2.0 * kPi * hz * (static_cast<double>(i) / rate - delay));
    }
    const std::array<const double*, 6> channels = {x[0].data(), x[1].data(), x[2].data(),
                                                   x[3].data(), x[4].data(), x[5].data()};
    for (int item = 0; item <= 7; ++item) {
        SCOPED_TRACE(item);
        AveragedSpectraSetup setup = MakeSetup(n, 0.5, item, rate);
        setup.pascalPerUnit = {2.0, 3.0, 2.0, 3.0, 2.0, 3.0};
        AveragedSpectra engine(setup);
        ASSERT_EQ(engine.status(), kAnalysisOk);
        engine.feed(channels.data(), static_cast<long long>(samples));
        ASSERT_EQ(engine.finish(), kAnalysisOk);
        EXPECT_EQ(engine.segments(), (static_cast<long long>(samples) - n) / (n / 2) + 1);
        double pp = 0.0, qq = 0.0, re = 0.0, im = 0.0;
        for (int i = 0; i < engine.lines(); ++i) {
            pp += engine.autoP(1)[i];
            qq += engine.autoQ(1)[i];
            re += engine.crossReal(1)[i];
            im += engine.crossImag(1)[i];
        }
        const double df = engine.lineSpacing();
        const double ms = A * A / 2.0;
        // The rectangular window leaks far, so a little of the sinusoid's power sits where the
        // segments' edges cut it; the tapered windows keep it to a part in a thousand.
        const double tol = item == 0 ? 2e-2 : 2e-3;
        EXPECT_NEAR(pp * df, 4.0 * ms, tol * 4.0 * ms);
        EXPECT_NEAR(qq * df, 9.0 * ms, tol * 9.0 * ms);
        // q lags p by 90 degrees, X_q = X_p exp(-i pi/2) x 3/2, so X_p conj X_q puts the whole
        // cross power into +Im.
        EXPECT_NEAR(im * df, 6.0 * ms, tol * 6.0 * ms);
        EXPECT_NEAR(re * df, 0.0, tol * 6.0 * ms);
    }
}

TEST(AveragedSpectra, BlocksOfAnySizeGiveTheSameSumsInConstantMemory)
{
    const size_t samples = 20000;
    const Channels in(samples);
    const auto run = [&](size_t block) {
        AveragedSpectra engine(MakeSetup(1024, 0.5, 2));
        for (size_t at = 0; at < samples; at += block) {
            const auto p = in.at(at);
            engine.feed(p.data(), static_cast<long long>(std::min(block, samples - at)));
        }
        engine.finish();
        return engine;
    };
    const AveragedSpectra whole = run(samples);
    ASSERT_EQ(whole.segments(), (20000 - 1024) / 512 + 1);
    for (size_t block : {size_t{1}, size_t{7}, size_t{4096}}) {
        SCOPED_TRACE(block);
        const AveragedSpectra cut = run(block);
        ASSERT_EQ(cut.segments(), whole.segments());
        for (int a = 0; a < 3; ++a) {
            for (int i = 0; i < whole.lines(); ++i) {
                ASSERT_EQ(cut.autoP(a)[i], whole.autoP(a)[i]) << a << " " << i;
                ASSERT_EQ(cut.autoQ(a)[i], whole.autoQ(a)[i]) << a << " " << i;
                ASSERT_EQ(cut.crossReal(a)[i], whole.crossReal(a)[i]) << a << " " << i;
                ASSERT_EQ(cut.crossImag(a)[i], whole.crossImag(a)[i]) << a << " " << i;
            }
        }
    }

    // Twenty times the stream (fed again and again) leaves the engine as large as one pass,
    // and that is a few segments' worth, not the recording.
    AveragedSpectra engine(MakeSetup(1024, 0.5, 2));
    const auto p = in.at(0);
    engine.feed(p.data(), static_cast<long long>(samples));
    const size_t once = engine.memoryBytes();
    for (int k = 0; k < 19; ++k)
        engine.feed(p.data(), static_cast<long long>(samples));
    EXPECT_EQ(engine.finish(), kAnalysisOk);
    EXPECT_EQ(engine.memoryBytes(), once);
    EXPECT_EQ(engine.samplesFed(), 20LL * static_cast<long long>(samples));
    EXPECT_LT(once, 40u * 1024u * sizeof(double));
}

// Welch's formula against the Hanning window's overlap correlation worked out by hand: at
// 50 % overlap the windows' product sums to N/16 against U = 3N/8, so rho(1) = (1/6)^2 and
// n_eff = K / (1 + 2 (1 - 1/K) / 36); at 75 % the lag sums are taken from the window directly.
// Lines of one segment: w^2 = 3/8 - cos/2 + cos2/8, so neighbours one line apart correlate
// in power by (1/4 / 3/8)^2 = 4/9, two lines apart by (1/16 / 3/8)^2 = 1/36.
TEST(AveragedSpectra, EffectiveAveragesFollowTheWindowsCorrelations)
{
    const int n = 256;
    const auto engineWith = [&](double overlap, int item, int segments) {
        AveragedSpectra engine(MakeSetup(n, overlap, item));
        const int hop = n - static_cast<int>(std::lround(overlap * n));
        const Channels in(static_cast<size_t>(n + (segments - 1) * hop));
        const auto p = in.at(0);
        engine.feed(p.data(), static_cast<long long>(in.data[0].size()));
        EXPECT_EQ(engine.segments(), segments);
        return engine;
    };
    for (int K : {1, 2, 10, 400}) {
        SCOPED_TRACE(K);
        const double k = K;
        EXPECT_NEAR(engineWith(0.5, 2, K).effectiveAverages(), k / (1.0 + 2.0 * (1.0 - 1.0 / k) / 36.0),
                    1e-9 * k);
        // No overlap, rectangular: K independent averages; Hanning without overlap too.
        EXPECT_NEAR(engineWith(0.0, 0, K).effectiveAverages(), k, 1e-9 * k);
        EXPECT_NEAR(engineWith(0.0, 2, K).effectiveAverages(), k, 1e-9 * k);
        // Hanning at 75 %: three lags overlap.
        std::vector<double> w(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i)
            w[static_cast<size_t>(i)] = 0.5 - 0.5 * std::cos(2.0 * kPi * i / n);
        double U = 0.0;
        for (double v : w)
            U += v * v;
        double denominator = 1.0;
        for (int j = 1; j < K && j * n / 4 < n; ++j) {
            double c = 0.0;
            for (int i = 0; i + j * n / 4 < n; ++i)
                c += w[static_cast<size_t>(i)] * w[static_cast<size_t>(i + j * n / 4)];
            denominator += 2.0 * (1.0 - j / k) * (c / U) * (c / U);
        }
        EXPECT_NEAR(engineWith(0.75, 2, K).effectiveAverages(), k / denominator, 1e-9 * k);
    }
    // L lines of 8 Hanning segments without overlap: (8 L)^2 / (8 sum_m (L - |m|) rho(0, m)).
    for (int L : {1, 2, 5, 40}) {
        SCOPED_TRACE(L);
        const double l = L;
        const double s = l + 2.0 * std::max(l - 1.0, 0.0) * 4.0 / 9.0 + 2.0 * std::max(l - 2.0, 0.0) / 36.0;
        const AveragedSpectra engine = engineWith(0.0, 2, 8);
        EXPECT_NEAR(engine.effectiveAverages(10, 10 + L), 8.0 * l * l / s, 1e-9 * 8.0 * l);
    }
}

TEST(AveragedSpectra, SegmentLengthsAndRefusals)
{
    EXPECT_EQ(SegmentLengthForResolution(48000.0, 11.71875), 4096);
    EXPECT_EQ(SegmentLengthForResolution(48000.0, 11.7), 8192);
    EXPECT_EQ(SegmentLengthForResolution(48000.0, 0.0), 0);
    EXPECT_EQ(SegmentLengthForResolution(0.0, 1.0), 0);
    EXPECT_EQ(SegmentLengthForResolution(8.0, 100.0), 4);
    // The 100 Hz third-octave band (89.1 ... 112.2 Hz) with four lines: df <= 5.79 Hz.
    EXPECT_EQ(SegmentLengthForBand(48000.0, 89.125, 112.202, 4), 16384);
    EXPECT_EQ(SegmentLengthForBand(48000.0, 100.0, 100.0, 4), 0);
    EXPECT_EQ(SegmentLengthForBand(48000.0, 89.0, 112.0, 0), 0);

    for (const AveragedSpectraSetup& bad : {MakeSetup(3, 0.5, 2), MakeSetup(1024, 1.0, 2),
                                            MakeSetup(1024, -0.1, 2), MakeSetup(1024, 0.5, 2, 0.0)}) {
        AveragedSpectra engine(bad);
        EXPECT_EQ(engine.status(), kAveragedBadSetup);
        const Channels in(10);
        const auto p = in.at(0);
        engine.feed(p.data(), 10);   // ignored
        EXPECT_EQ(engine.finish(), kAveragedBadSetup);
    }
    AveragedSpectra shortOne(MakeSetup(1024, 0.5, 2));
    const Channels in(1023);
    const auto p = in.at(0);
    shortOne.feed(p.data(), 1023);
    EXPECT_EQ(shortOne.finish(), kAveragedNoSegment);
    EXPECT_EQ(shortOne.segments(), 0);
    shortOne.feed(p.data(), 1);
    EXPECT_EQ(shortOne.finish(), kAnalysisOk);
    EXPECT_EQ(shortOne.segments(), 1);
}

// Parts for parallel engines hold between them exactly the segments of one engine: merged,
// the same densities to rounding, the same averages; another setup is refused.
TEST(AveragedSpectra, PartsMergeIntoOneEnginesSpectra)
{
    const size_t total = 30000;
    const Channels in(total);
    AveragedSpectra whole(MakeSetup(1024, 0.5, 2));
    const auto all = in.at(0);
    whole.feed(all.data(), static_cast<long long>(total));
    ASSERT_EQ(whole.finish(), kAnalysisOk);
    for (int parts : {1, 2, 3, 57, 60}) {
        SCOPED_TRACE(parts);
        AveragedSpectra merged(MakeSetup(1024, 0.5, 2));
        long long previousEnd = 0;
        for (int k = 0; k < parts; ++k) {
            const AveragedSpectra::Stretch stretch = merged.partOf(static_cast<long long>(total), parts, k);
            if (stretch.end == stretch.begin)
                continue;
            EXPECT_EQ(stretch.begin % 512, 0);
            EXPECT_LE(stretch.begin, previousEnd == 0 ? 0 : previousEnd - 512);
            previousEnd = stretch.end;
            AveragedSpectra part(MakeSetup(1024, 0.5, 2));
            const auto p = in.at(static_cast<size_t>(stretch.begin));
            part.feed(p.data(), stretch.end - stretch.begin);
            EXPECT_EQ(merged.merge(part), kAnalysisOk);
        }
        ASSERT_EQ(merged.finish(), kAnalysisOk);
        EXPECT_EQ(merged.segments(), whole.segments());
        EXPECT_DOUBLE_EQ(merged.effectiveAverages(), whole.effectiveAverages());
        for (int a = 0; a < 3; ++a)
            for (int i = 0; i < whole.lines(); ++i) {
                ASSERT_NEAR(merged.autoQ(a)[i], whole.autoQ(a)[i], 1e-12 * whole.autoQ(a)[i]) << i;
                ASSERT_NEAR(merged.crossImag(a)[i], whole.crossImag(a)[i],
                            1e-12 * (whole.autoP(a)[i] + whole.autoQ(a)[i]))
                    << i;
            }
    }
    AveragedSpectra other(MakeSetup(1024, 0.25, 2));
    AveragedSpectra mine(MakeSetup(1024, 0.5, 2));
    EXPECT_EQ(mine.merge(other), kAveragedBadSetup);
    EXPECT_EQ(mine.partOf(1023, 2, 0).end, 0);
}

// Sample i goes to slice floor(i M / T): the slices take every sample once, in order, and
// each slice's engine sees exactly its own stretch.
TEST(AveragedSpectra, SlicesPartitionTheRecording)
{
    const long long total = 10007;
    const Channels in(static_cast<size_t>(total));
    SlicedSpectra sliced(MakeSetup(256, 0.5, 2), total, 7);
    for (long long at = 0; at < total; at += 333) {
        const auto p = in.at(static_cast<size_t>(at));
        sliced.feed(p.data(), std::min(333LL, total - at));
    }
    const auto p = in.at(0);
    sliced.feed(p.data(), 100);   // beyond the length: ignored
    ASSERT_EQ(sliced.finish(), kAnalysisOk);
    long long sum = 0;
    for (int k = 0; k < 7; ++k) {
        const long long begin = (k * total + 6) / 7;
        const long long end = ((k + 1) * total + 6) / 7;
        EXPECT_EQ(sliced.slice(k).samplesFed(), end - begin) << k;
        sum += sliced.slice(k).samplesFed();
        // The slice's own stretch fed to an engine of its own gives the same sums.
        AveragedSpectra alone(MakeSetup(256, 0.5, 2));
        const auto q = in.at(static_cast<size_t>(begin));
        alone.feed(q.data(), end - begin);
        alone.finish();
        EXPECT_EQ(alone.autoP(0)[5], sliced.slice(k).autoP(0)[5]) << k;
    }
    EXPECT_EQ(sum, total);
}

}   // namespace
