// The real DFT against long-double references, across the length classes it handles
// differently (power of two, mixed radix, directly handled prime, chirp-z).
#include "RealDft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <complex>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <sys/resource.h>

namespace {

using LComplex = std::complex<long double>;
constexpr long double kTwoPiL = 6.283185307179586476925286766559005768L;

struct Errors {
    double relativeRms;   // sqrt(sum |X - ref|^2 / sum |ref|^2)
    double relativeMax;   // max |X - ref| / max |ref|
};

Errors Compare(const std::vector<double>& re, const std::vector<double>& im, const std::vector<LComplex>& ref)
{
    long double err2 = 0, ref2 = 0, errMax = 0, refMax = 0;
    for (size_t k = 0; k < ref.size(); ++k) {
        const long double e = std::abs(LComplex(re[k], im[k]) - ref[k]);
        err2 += e * e;
        ref2 += std::norm(ref[k]);
        errMax = std::max(errMax, e);
        refMax = std::max(refMax, std::abs(ref[k]));
    }
    return {static_cast<double>(std::sqrt(err2 / ref2)), static_cast<double>(errMax / refMax)};
}

std::string Scientific(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return text;
}

std::vector<double> RandomSignal(int n, uint64_t seed)
{
    std::mt19937_64 engine(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> x(n);
    for (double& v : x) {
        v = uniform(engine);
    }
    return x;
}

// Plain O(N^2) sum in long double, with the N roots tabulated once.
std::vector<LComplex> NaiveDft(const std::vector<double>& x)
{
    const size_t n = x.size();
    std::vector<LComplex> roots(n);
    for (size_t m = 0; m < n; ++m) {
        const long double a = kTwoPiL * static_cast<long double>(m) / static_cast<long double>(n);
        roots[m] = LComplex(std::cos(a), -std::sin(a));
    }
    std::vector<LComplex> out(n);
    for (size_t k = 0; k < n; ++k) {
        LComplex sum = 0;
        size_t idx = 0;
        for (size_t t = 0; t < n; ++t) {
            sum += static_cast<long double>(x[t]) * roots[idx];
            idx += k;
            if (idx >= n) {
                idx -= n;
            }
        }
        out[k] = sum;
    }
    return out;
}

// A signal whose transform has a closed form, for lengths where the O(N^2) sum is too slow:
// cosines at half-integer bins plus sparse spikes. For f = integer + 1/2,
//   sum_t exp(j 2pi (f-k) t/N) = 2 / (1 - exp(j 2pi (f-k)/N)),
// and a spike a at t0 contributes a exp(-j 2pi k t0/N).
struct ClosedFormSignal {
    struct Tone {
        double bin;   // half-integer
        double amplitude;
        double phase;
    };
    struct Spike {
        size_t at;
        double amplitude;
    };
    std::vector<Tone> tones;
    std::vector<Spike> spikes;
};

// exp(-j 2pi m / period) in long double from two small tables.
class LongRoots {
public:
    explicit LongRoots(uint64_t period) : period_(period)
    {
        while ((uint64_t{1} << (2 * shift_)) < period) {
            ++shift_;
        }
        fine_.resize(size_t{1} << shift_);
        coarse_.resize((period >> shift_) + 2);
        for (size_t m = 0; m < fine_.size(); ++m) {
            fine_[m] = Exact(m);
        }
        for (size_t m = 0; m < coarse_.size(); ++m) {
            coarse_[m] = Exact(m << shift_);
        }
    }
    LComplex operator()(uint64_t m) const   // m < period
    {
        return coarse_[m >> shift_] * fine_[m & ((uint64_t{1} << shift_) - 1)];
    }

private:
    LComplex Exact(uint64_t m) const
    {
        const long double a = kTwoPiL * static_cast<long double>(m) / static_cast<long double>(period_);
        return {std::cos(a), -std::sin(a)};
    }
    uint64_t period_;
    unsigned shift_ = 0;
    std::vector<LComplex> fine_, coarse_;
};

void Synthesise(const ClosedFormSignal& s, size_t n, std::vector<double>& x, std::vector<LComplex>& ref)
{
    const LongRoots roots2n(2 * n);
    const LongRoots rootsN(n);
    // The samples are the long-double signal rounded once to double; that rounding is
    // about 1e-16 relative, far inside the tolerances.
    std::vector<long double> exact(n, 0.0L);
    for (const auto& tone : s.tones) {
        const uint64_t twiceF = static_cast<uint64_t>(2 * tone.bin);
        const LComplex phase = std::polar<long double>(tone.amplitude, tone.phase);
        for (size_t t = 0; t < n; ++t) {
            // cos(2pi f t/N + phase) = Re(phase * conj(root of 2N with index 2f t)).
            exact[t] += (phase * std::conj(roots2n((twiceF * t) % (2 * n)))).real();
        }
    }
    x.assign(n, 0.0);
    for (size_t t = 0; t < n; ++t) {
        x[t] = static_cast<double>(exact[t]);
    }
    for (const auto& spike : s.spikes) {
        x[spike.at] += spike.amplitude;
    }
    // 2 / (1 - exp(2j theta)) = 1 + j cot(theta), with cot taken directly from the angle so
    // that bins next to a tone, where 1 - exp(2j theta) is tiny, keep full relative accuracy.
    ref.assign(n, 0);
    const int64_t period = 2 * static_cast<int64_t>(n);
    auto cotangentTerm = [&](int64_t m) {   // 1 + j cot(pi m / (2N)), m odd
        m %= period;
        if (m > period / 2) {
            m -= period;
        } else if (m <= -period / 2) {
            m += period;
        }
        const long double theta =
            0.5L * kTwoPiL * static_cast<long double>(m) / static_cast<long double>(period);
        return LComplex(1.0L, std::cos(theta) / std::sin(theta));
    };
    for (const auto& tone : s.tones) {
        const int64_t twiceF = static_cast<int64_t>(2 * tone.bin);
        const LComplex ePlus = std::polar<long double>(0.5L * tone.amplitude, tone.phase);
        const LComplex eMinus = std::conj(ePlus);
        for (size_t k = 0; k < n; ++k) {
            const int64_t twiceK = 2 * static_cast<int64_t>(k);
            // sum_t exp(j 2pi (f-k) t/N): theta = pi (f-k)/N; sum_t exp(-j 2pi (f+k) t/N):
            // theta = -pi (f+k)/N.
            ref[k] += ePlus * cotangentTerm(twiceF - twiceK) + eMinus * cotangentTerm(-(twiceF + twiceK));
        }
    }
    for (const auto& spike : s.spikes) {
        uint64_t index = 0;
        for (size_t k = 0; k < n; ++k) {
            ref[k] += static_cast<long double>(spike.amplitude) * rootsN(index);
            index += spike.at;
            if (index >= n) {
                index -= n;
            }
        }
    }
}

struct LengthCase {
    const char* lengthClass;
    int n;
};

class RealDftSmall : public ::testing::TestWithParam<LengthCase> {};

TEST_P(RealDftSmall, MatchesNaiveLongDoubleSum)
{
    const int n = GetParam().n;
    std::vector<double> x = RandomSignal(n, static_cast<uint64_t>(n));
    const std::vector<LComplex> ref = NaiveDft(x);
    std::vector<double> y(n, 99.0);
    ASSERT_EQ(RealDft(x.data(), y.data(), n), kAnalysisOk);
    const Errors e = Compare(x, y, ref);
    RecordProperty("relative_rms", Scientific(e.relativeRms));
    RecordProperty("relative_max", Scientific(e.relativeMax));
    EXPECT_LT(e.relativeRms, 1e-13) << GetParam().lengthClass << " N=" << n;
    EXPECT_LT(e.relativeMax, 1e-12) << GetParam().lengthClass << " N=" << n;
}

INSTANTIATE_TEST_SUITE_P(
    LengthClasses, RealDftSmall,
    ::testing::Values(LengthCase{"single", 1}, LengthCase{"pair", 2}, LengthCase{"small prime", 7},
                      LengthCase{"mixed", 12}, LengthCase{"power of two", 16}, LengthCase{"mixed", 1000},
                      LengthCase{"mixed 7*11*13", 1001}, LengthCase{"largest direct prime * 2", 2 * 997},
                      LengthCase{"largest direct prime", 997}, LengthCase{"chirp-z 2*1009", 2018},
                      LengthCase{"chirp-z prime", 4099}, LengthCase{"chirp-z 3*1009", 3027},
                      LengthCase{"radix 8 then 2", 2 * 8 * 3}),
    [](const auto& info) { return "N" + std::to_string(info.param.n); });

// Every length up to 160 against the naive sum: odd, even, prime and composite lengths
// each take their own path through the factorisation.
// The transform of a random signal of length n against the naive sum.
Errors AgainstNaiveSum(int n, uint64_t seed)
{
    std::vector<double> x = RandomSignal(n, seed);
    const std::vector<LComplex> ref = NaiveDft(x);
    std::vector<double> y(n);
    EXPECT_EQ(RealDft(x.data(), y.data(), n), kAnalysisOk) << "N=" << n;
    return Compare(x, y, ref);
}

TEST(RealDft, EveryLengthUpTo160)
{
    for (int n = 1; n <= 160; ++n) {
        EXPECT_LT(AgainstNaiveSum(n, 1000 + n).relativeMax, 1e-13) << "N=" << n;
    }
}

// Beyond 160, a table up to 8192: powers of two and their neighbours, primes, and products of
// small and large primes.
TEST(RealDft, TableOfLengthsUpTo8192)
{
    for (int n : {161,  243,  255,  256,  257,  509,  512,  997,  1009, 1024, 1155,
                  2047, 2048, 2049, 3125, 4093, 4096, 4097, 6561, 7919, 8191, 8192}) {
        const Errors e = AgainstNaiveSum(n, 2000 + n);
        EXPECT_LT(e.relativeRms, 1e-13) << "N=" << n;
        EXPECT_LT(e.relativeMax, 1e-12) << "N=" << n;
    }
}

// The half transform is the two-sided one's bins 0 ... N/2, from an input it leaves alone,
// whether or not the input sits where the transform's vector instructions want it.
TEST(RealDft, HalfTransformIsTheFirstHalfAndKeepsItsInput)
{
    for (int n : {1, 2, 7, 16, 2018, 999}) {
        for (size_t offset : {0, 1}) {
            std::vector<double> storage(static_cast<size_t>(n) + 1);
            double* input = storage.data() + offset;   // 8 bytes off: not SIMD-aligned
            const std::vector<double> signal = RandomSignal(n, 300 + n);
            std::copy(signal.begin(), signal.end(), input);
            const size_t half = static_cast<size_t>(n) / 2 + 1;
            std::vector<double> re(half, 99.0), im(half, 99.0);
            ASSERT_EQ(RealDftHalf(input, re.data(), im.data(), n), kAnalysisOk);
            EXPECT_TRUE(std::equal(signal.begin(), signal.end(), input)) << n;
            std::vector<double> x = signal, y(static_cast<size_t>(n));
            ASSERT_EQ(RealDft(x.data(), y.data(), n), kAnalysisOk);
            for (size_t k = 0; k < half; ++k) {
                EXPECT_EQ(re[k], x[k]) << n << " k=" << k;
                EXPECT_EQ(im[k], y[k]) << n << " k=" << k;
            }
        }
    }
    double x[] = {1.0}, re[] = {5.0}, im[] = {5.0};
    EXPECT_EQ(RealDftHalf(x, re, im, 0), kDftBadCount);
    EXPECT_EQ(re[0], 5.0);
}

class RealDftLarge : public ::testing::TestWithParam<LengthCase> {};

TEST_P(RealDftLarge, MatchesClosedFormLongDoubleTransform)
{
    const size_t n = static_cast<size_t>(GetParam().n);
    ClosedFormSignal s;
    s.tones = {
        {3.5, 1.0, 0.3}, {std::floor(n / 7.0) + 0.5, 0.25, -1.1}, {std::floor(n / 2.0) - 10.5, 0.5, 2.0}};
    std::mt19937_64 engine(n);
    for (int i = 0; i < 6; ++i) {
        s.spikes.push_back(
            {static_cast<size_t>(engine() % n), static_cast<double>(engine() % 1000) / 250.0 - 2.0});
    }
    std::vector<double> x;
    std::vector<LComplex> ref;
    Synthesise(s, n, x, ref);
    std::vector<double> y(n);
    ASSERT_EQ(RealDft(x.data(), y.data(), static_cast<int>(n)), kAnalysisOk);
    const Errors e = Compare(x, y, ref);
    RecordProperty("relative_rms", Scientific(e.relativeRms));
    RecordProperty("relative_max", Scientific(e.relativeMax));
    EXPECT_LT(e.relativeRms, 1e-13) << GetParam().lengthClass << " N=" << n;
    EXPECT_LT(e.relativeMax, 1e-12) << GetParam().lengthClass << " N=" << n;
}

INSTANTIATE_TEST_SUITE_P(LengthClasses, RealDftLarge,
                         ::testing::Values(LengthCase{"power of two", 65536}, LengthCase{"mixed", 1000000},
                                           LengthCase{"chirp-z prime", 999983},
                                           LengthCase{"mixed with primes 7..17", 510510}),
                         [](const auto& info) { return "N" + std::to_string(info.param.n); });

TEST(RealDft, LengthOneAndTwo)
{
    double x1[] = {3.5};
    double y1[] = {7.0};
    ASSERT_EQ(RealDft(x1, y1, 1), kAnalysisOk);
    EXPECT_EQ(x1[0], 3.5);
    EXPECT_EQ(y1[0], 0.0);

    double x2[] = {3.0, 5.0};
    double y2[] = {1.0, 1.0};
    ASSERT_EQ(RealDft(x2, y2, 2), kAnalysisOk);
    EXPECT_EQ(x2[0], 8.0);
    EXPECT_EQ(x2[1], -2.0);
    EXPECT_EQ(y2[0], 0.0);
    EXPECT_EQ(y2[1], 0.0);
}

TEST(RealDft, NonPositiveCountIsRejectedWithoutWriting)
{
    double x[] = {1.0};
    double y[] = {2.0};
    EXPECT_EQ(RealDft(x, y, 0), kDftBadCount);
    EXPECT_EQ(RealDft(x, y, -5), kDftBadCount);
    EXPECT_EQ(x[0], 1.0);
    EXPECT_EQ(y[0], 2.0);
}

TEST(RealDft, ResultIsHermitianWithRealEnds)
{
    for (int n : {16, 12, 7, 2018, 15}) {
        std::vector<double> x = RandomSignal(n, 7);
        std::vector<double> y(n);
        ASSERT_EQ(RealDft(x.data(), y.data(), n), kAnalysisOk);
        EXPECT_EQ(y[0], 0.0) << n;
        if (n % 2 == 0) {
            EXPECT_EQ(y[n / 2], 0.0) << n;
        }
        for (int k = 1; k < n; ++k) {
            EXPECT_NEAR(x[k], x[n - k], 1e-12) << n << " k=" << k;
            EXPECT_NEAR(y[k], -y[n - k], 1e-12) << n << " k=" << k;
        }
    }
}

// Threads sharing the plans, with more lengths than the plan cache keeps, so plans are made
// and given up while other threads run them: each call gets the transform of its own data.
TEST(RealDft, ConcurrentCallsAreIndependent)
{
    const std::vector<int> lengths = {
        7 * 11 * 13, 2 * 17 * 19, 3 * 997, 2018, 13 * 13, 4096, 4099, 1000, 6, 31, 2 * kDftCachedPlans + 1};
    std::vector<std::vector<LComplex>> refs;
    std::vector<std::vector<double>> inputs;
    for (size_t i = 0; i < lengths.size(); ++i) {
        inputs.push_back(RandomSignal(lengths[i], 500 + i));
        refs.push_back(NaiveDft(inputs.back()));
    }
    constexpr int kThreads = 8;
    constexpr int kRounds = 20;
    std::vector<double> worst(kThreads, 0.0);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int r = 0; r < kRounds; ++r) {
                const size_t which = static_cast<size_t>(t + r) % lengths.size();
                std::vector<double> x = inputs[which];
                std::vector<double> y(x.size());
                if (RealDft(x.data(), y.data(), static_cast<int>(x.size())) != kAnalysisOk) {
                    worst[t] = 1.0;
                    return;
                }
                worst[t] = std::max(worst[t], Compare(x, y, refs[which]).relativeMax);
            }
        });
    }
    for (auto& th : threads) {
        th.join();
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_LT(worst[t], 1e-12) << "thread " << t;
    }
}

}   // namespace

// Under an address-space limit FFTW's own allocations fail; the transform must then say so, as
// it does for its work arrays, and the process live on. A sanitizer's shadow memory cannot run
// under such a limit, so the check is left to the plain builds.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer) || __has_feature(thread_sanitizer)
#define SONORIX_NO_MEMORY_LIMIT_TEST
#endif
#endif
#ifndef SONORIX_NO_MEMORY_LIMIT_TEST
namespace {

// The address space the process uses now.
rlim_t AddressSpaceInUse()
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    rlim_t kb = 0;
    while (status && std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "VmSize: %lu kB", &kb) == 1)
            break;
    if (status)
        std::fclose(status);
    return kb * 1024;
}

// The transform of n samples with room left for its own input and output copies (about
// 64 MB), not for FFTW's plan of this length; the exit code says whether it refused.
int TransformUnderLimit(int n)
{
    std::vector<double> x(static_cast<size_t>(n), 1.0), re(static_cast<size_t>(n / 2 + 1)),
        im(static_cast<size_t>(n / 2 + 1));
    struct rlimit limit {};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = AddressSpaceInUse() + (rlim_t{80} << 20);
    setrlimit(RLIMIT_AS, &limit);
    const AnalysisStatus status = RealDftHalf(x.data(), re.data(), im.data(), n);
    std::fprintf(stderr, "status %d\n", status);
    return status == kDftNoMemory ? 0 : 1;
}

}   // namespace

TEST(RealDftDeathTest, APlanThatCannotHaveItsMemoryIsRefusedNotAborted)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A large prime length: FFTW plans it through transforms of its own, with work arrays of
    // several times the input's size.
    EXPECT_EXIT(std::_Exit(TransformUnderLimit(4000037)), ::testing::ExitedWithCode(0), "status -20001");
}
#endif
#endif
