// Band filters: argument checks and their order, the dispatcher, worked examples, the
// magnitude response of every design measured from its own coefficients against the family's
// definition, settling on a constant, and cheap guards (finite, decaying) for every design.
#include "Filters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdio>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kRipple = 0.1;
constexpr double kAttenuation = 40.0;
const double kHalfPowerDb = -10.0 * std::log10(2.0);   // -3.0103 dB

std::vector<double> Noise(int count, unsigned seed = 7)
{
    std::mt19937 generator(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<double> samples(count);
    for (double& s : samples)
        s = uniform(generator);
    return samples;
}

bool IsFinite(double value)
{
    return std::isfinite(value);
}

const char* FamilyName(FilterFamily family)
{
    switch (family) {
    case FilterFamily::Butterworth:
        return "Butterworth";
    case FilterFamily::Chebyshev:
        return "Chebyshev";
    case FilterFamily::Elliptic:
        return "elliptic";
    }
    return "?";
}

// A filter as the tests name it: family, shape, order, and the edges (lower 0 = low-pass).
struct FilterCase {
    FilterFamily family;
    int order;
    double rate;
    double lower;   // 0 for a low-pass
    double upper;   // cut-off of a low-pass
};

std::string Describe(const FilterCase& c)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s %s order %d, F = %g, edges %g .. %g", FamilyName(c.family),
                  c.lower == 0.0 ? "low-pass" : "band-pass", c.order, c.rate, c.lower, c.upper);
    return text;
}

FilterDesign Design(const FilterCase& c)
{
    FilterDesign design;
    AnalysisStatus status = kAnalysisOk;
    const bool lowPass = c.lower == 0.0;
    switch (c.family) {
    case FilterFamily::Butterworth:
        status = lowPass ? DesignButterworthLowPass(c.rate, c.upper, c.order, design)
                         : DesignButterworthBandPass(c.rate, c.lower, c.upper, c.order, design);
        break;
    case FilterFamily::Chebyshev:
        status = lowPass ? DesignChebyshevLowPass(c.rate, c.upper, kRipple, c.order, design)
                         : DesignChebyshevBandPass(c.rate, c.lower, c.upper, kRipple, c.order, design);
        break;
    case FilterFamily::Elliptic:
        status = lowPass ? DesignEllipticLowPass(c.rate, c.upper, kRipple, kAttenuation, c.order, design)
                         : DesignEllipticBandPass(c.rate, c.lower, c.upper, kRipple, kAttenuation, c.order,
                                                  design);
        break;
    }
    EXPECT_EQ(status, kAnalysisOk) << Describe(c);
    return design;
}

// The routine under test for a case, run on data.
AnalysisStatus RunFilter(const FilterCase& c, const double* input, int count, double* output)
{
    const bool lowPass = c.lower == 0.0;
    switch (c.family) {
    case FilterFamily::Butterworth:
        return lowPass ? ButterworthLowPass(input, count, c.rate, c.upper, c.order, output)
                       : ButterworthBandPass(input, count, c.rate, c.lower, c.upper, c.order, output);
    case FilterFamily::Chebyshev:
        return lowPass ? ChebyshevLowPass(input, count, c.rate, c.upper, kRipple, c.order, output)
                       : ChebyshevBandPass(input, count, c.rate, c.lower, c.upper, kRipple, c.order, output);
    case FilterFamily::Elliptic:
        return lowPass
                   ? EllipticLowPass(input, count, c.rate, c.upper, kRipple, kAttenuation, c.order, output)
                   : EllipticBandPass(input, count, c.rate, c.lower, c.upper, kRipple, kAttenuation, c.order,
                                      output);
    }
    return kAnalysisOk;
}

// |H(e^jw)| in dB at frequency f, from the cascade's coefficients, evaluated in long double
// so that what is measured is the design and not the evaluation.
double GainDb(const FilterDesign& design, double f, double rate)
{
    using Complex = std::complex<long double>;
    const long double w = 2.0L * std::numbers::pi_v<long double> * f / rate;
    const Complex zInverse = std::polar(1.0L, -w);
    Complex h = 1.0L;
    const Complex z1 = zInverse, z2 = zInverse * zInverse;
    for (int index = 0; index < design.SectionCount(); ++index) {
        const FilterSection s = design.Section(index);
        for (int j = 0; j < (s.order == 4 ? 2 : 1); ++j) {
            const Biquad& q = s.stage[j];
            h *= (static_cast<long double>(q.b0) + static_cast<long double>(q.b1) * z1 +
                  static_cast<long double>(q.b2) * z2) /
                 (1.0L + static_cast<long double>(q.a1) * z1 + static_cast<long double>(q.a2) * z2);
        }
    }
    return static_cast<double>(20.0L * std::log10(std::abs(h)));
}

// Digital frequencies (Hz) at which the analog prototype sees nu rad/s: one for a low-pass,
// the two mirror points of the band-pass transform nu = (W^2 - W0^2)/(B W) for a band-pass.
std::vector<double> PrototypeToDigital(const FilterCase& c, double nu)
{
    auto toHz = [&](double warped) { return c.rate / kPi * std::atan(warped); };
    if (c.lower == 0.0)
        return {toHz(nu * std::tan(kPi * c.upper / c.rate))};
    const double wl = std::tan(kPi * c.lower / c.rate);
    const double wh = std::tan(kPi * c.upper / c.rate);
    const double b = wh - wl;
    // The two points multiply to W0^2; the lower one is taken as that quotient, as the
    // difference of the roots would cancel for large nu.
    const double upperPoint = (std::sqrt(nu * nu * b * b + 4.0 * wl * wh) + nu * b) / 2.0;
    return {toHz(upperPoint), toHz(wl * wh / upperPoint)};
}

struct ResponseSummary {
    double edgeLow = 0.0;     // lowest gain at the passband edge(s), dB
    double edgeHigh = -1e9;   // highest gain at the edge(s), dB
    double passMin = 0.0;     // lowest gain strictly inside the passband
    double passMax = -1e9;    // highest gain in the passband
    double stopMax = -1e9;    // highest gain beyond the elliptic stopband edge
};

ResponseSummary Measure(const FilterCase& c, const FilterDesign& design)
{
    ResponseSummary r;
    r.edgeLow = 1e9;
    r.passMin = 1e9;
    for (double f : PrototypeToDigital(c, 1.0)) {
        const double g = GainDb(design, f, c.rate);
        r.edgeLow = std::min(r.edgeLow, g);
        r.edgeHigh = std::max(r.edgeHigh, g);
    }
    const int points = 400;
    for (int i = 0; i < points; ++i) {
        const double nu = static_cast<double>(i) / points;   // [0, 1)
        for (double f : PrototypeToDigital(c, nu)) {
            const double g = GainDb(design, f, c.rate);
            r.passMin = std::min(r.passMin, g);
            r.passMax = std::max(r.passMax, g);
        }
    }
    if (c.family == FilterFamily::Elliptic) {
        // Log-spaced from the stopband edge 1/k out to where the prototype meets F/2 (and DC).
        const double start = 1.0 / design.Selectivity();
        for (int i = 0; i <= 3000; ++i) {
            const double nu = start * std::pow(10.0, 8.0 * i / 3000.0);
            for (double f : PrototypeToDigital(c, nu)) {
                if (!(f > 0.0 && f < c.rate / 2.0))
                    continue;
                r.stopMax = std::max(r.stopMax, GainDb(design, f, c.rate));
            }
        }
    }
    return r;
}

std::vector<FilterCase> ResponseCases()
{
    const double rate = 48000.0;
    const double cutoffs[] = {24.0, 480.0, 4800.0, 12000.0, 21600.0, 23900.0};
    // Narrow bands a few hertz above DC are where a band-pass section's pole positions are
    // hardest to hold in its coefficients.
    const double bands[][2] = {{1.0, 2.0},       {2.0, 4.0},       {24.0, 96.0},       {20.0, 23900.0},
                               {1000.0, 2000.0}, {4800.0, 5040.0}, {10000.0, 14000.0}, {20000.0, 23900.0}};
    std::vector<FilterCase> cases;
    for (FilterFamily family : {FilterFamily::Butterworth, FilterFamily::Chebyshev, FilterFamily::Elliptic}) {
        for (int order = 1; order <= 6; ++order) {
            for (double cutoff : cutoffs)
                cases.push_back({family, order, rate, 0.0, cutoff});
            for (const auto& band : bands)
                cases.push_back({family, order, rate, band[0], band[1]});
        }
    }
    return cases;
}

TEST(BandFilterResponse, EveryDesignMeetsItsFamilyDefinition)
{
    // Tolerance in dB: the designs are exact up to rounding; the margin covers the coefficient
    // rounding of the 1-2 Hz band, which moves its response by about 1e-5 dB (from 24 Hz up the
    // deviations stay below 1e-7 dB).
    const double tol = 2e-5;
    double worstEdge = 0.0, worstPass = 0.0, worstStop = -1e9;
    for (const FilterCase& c : ResponseCases()) {
        SCOPED_TRACE(Describe(c));
        const FilterDesign design = Design(c);
        const ResponseSummary r = Measure(c, design);
        const bool halfPowerEdges = c.family == FilterFamily::Butterworth ||
                                    (c.family == FilterFamily::Chebyshev && c.lower > 0.0 && c.order == 1);
        const double edge = halfPowerEdges ? kHalfPowerDb : -kRipple;
        EXPECT_NEAR(r.edgeLow, edge, tol);
        EXPECT_NEAR(r.edgeHigh, edge, tol);
        worstEdge = std::max({worstEdge, std::fabs(r.edgeLow - edge), std::fabs(r.edgeHigh - edge)});
        // Nothing in the passband exceeds 0 dB; the ripple families stay above -ripple and reach
        // 0 dB somewhere (Butterworth reaches it at DC or at the band centre).
        EXPECT_LE(r.passMax, tol);
        EXPECT_NEAR(r.passMax, 0.0, 1e-3);
        worstPass = std::max(worstPass, r.passMax);
        if (!halfPowerEdges) {
            EXPECT_GE(r.passMin, -kRipple - tol);
            worstPass = std::max(worstPass, -kRipple - r.passMin);
        }
        if (c.family == FilterFamily::Elliptic) {
            // At least 40 dB from the stopband edge on, and equiripple: the lobes touch -40 dB.
            EXPECT_LE(r.stopMax, -kAttenuation + tol);
            EXPECT_GE(r.stopMax, -kAttenuation - 0.05);
            worstStop = std::max(worstStop, r.stopMax);
        }
    }
    std::printf("worst edge deviation %.3g dB, worst passband excess %.3g dB, "
                "highest elliptic stopband gain %.12g dB\n",
                worstEdge, worstPass, worstStop);
}

TEST(BandFilterResponse, ConstantInputSettlesToTheDcGain)
{
    const double rate = 1000.0;
    const double evenRippleGain = 1.0 / std::sqrt(std::pow(10.0, kRipple / 10.0));   // -0.1 dB
    // The even elliptic band-pass maps DC into the stopband floor: 10^(-40/20).
    const double stopbandFloor = std::pow(10.0, -kAttenuation / 20.0);
    const int count = 20000;
    for (FilterFamily family : {FilterFamily::Butterworth, FilterFamily::Chebyshev, FilterFamily::Elliptic}) {
        for (int order = 1; order <= 6; ++order) {
            const bool even = order % 2 == 0;
            const bool rippleFamily = family != FilterFamily::Butterworth;
            struct Expectation {
                FilterCase filter;
                double gain;
            };
            const Expectation expectations[] = {
                {{family, order, rate, 0.0, 100.0}, rippleFamily && even ? evenRippleGain : 1.0},
                {{family, order, rate, 0.0, 500.0}, rippleFamily && even ? evenRippleGain : 1.0},
                {{family, order, rate, 100.0, 300.0},
                 family == FilterFamily::Elliptic && even ? stopbandFloor : 0.0},
            };
            for (const Expectation& e : expectations) {
                SCOPED_TRACE(Describe(e.filter));
                std::vector<double> data(count, 3.0);
                ASSERT_EQ(RunFilter(e.filter, data.data(), count, data.data()), kAnalysisOk);
                EXPECT_NEAR(data.back(), 3.0 * e.gain, 1e-9);
            }
        }
    }
}

// A band of 1-2 Hz at 48 kHz puts every pole within 2.6e-4 of z = 1: the filter must still run
// stable and pass a sine at the band centre at (within the ripple) unit gain.
TEST(BandFilterResponse, NarrowBandJustAboveDcPassesItsCentre)
{
    const double rate = 48000.0;
    const int count = static_cast<int>(60 * rate);
    const double centre =
        rate / kPi * std::atan(std::sqrt(std::tan(kPi * 1.0 / rate) * std::tan(kPi * 2.0 / rate)));
    for (FilterFamily family : {FilterFamily::Butterworth, FilterFamily::Chebyshev, FilterFamily::Elliptic}) {
        const FilterCase c{family, 6, rate, 1.0, 2.0};
        SCOPED_TRACE(Describe(c));
        std::vector<double> data(count);
        for (int i = 0; i < count; ++i)
            data[i] = std::sin(2.0 * kPi * centre * i / rate);
        ASSERT_EQ(RunFilter(c, data.data(), count, data.data()), kAnalysisOk);
        double amplitude = 0.0;
        for (int i = count - count / 4; i < count; ++i)
            amplitude = std::max(amplitude, std::fabs(data[i]));
        EXPECT_LE(20.0 * std::log10(amplitude), 1e-3);
        EXPECT_GE(20.0 * std::log10(amplitude), -kRipple - 1e-3);
    }
}

// The elliptic low-pass maps F/2 to the prototype's infinity: odd orders have a zero there,
// even orders sit on the stopband floor and pass an alternating input at 10^(-40/20).
TEST(BandFilterResponse, EllipticLowPassAtHalfTheRateSitsOnTheStopbandFloor)
{
    const int count = 20000;
    for (int order = 1; order <= 6; ++order) {
        const FilterCase c{FilterFamily::Elliptic, order, 1000.0, 0.0, 100.0};
        SCOPED_TRACE(Describe(c));
        std::vector<double> data(count);
        for (int i = 0; i < count; ++i)
            data[i] = i % 2 == 0 ? 1.0 : -1.0;
        ASSERT_EQ(RunFilter(c, data.data(), count, data.data()), kAnalysisOk);
        const double expected = order % 2 == 0 ? std::pow(10.0, -kAttenuation / 20.0) : 0.0;
        EXPECT_NEAR(std::fabs(data.back()), expected, 1e-9);
        EXPECT_NEAR(data.back() + data[count - 2], 0.0, 1e-9);
    }
}

// Cheap guards over every family, shape and order, including edges at F/2 and close to 0:
// the impulse response is finite, starts from rest and dies away.
TEST(BandFilterProperties, ImpulseResponseIsFiniteAndDecays)
{
    const double rate = 40000.0;
    // Edges close to DC give long, slowly decaying responses: 100 Hz still dies away to 1e-6 of
    // its peak within 2.5 s at every order here.
    const double cutoffs[] = {100.0, 1000.0, 20000.0};
    const double bands[][2] = {{100.0, 400.0}, {1000.0, 20000.0}, {19000.0, 20000.0}};
    const int count = 100000;
    for (FilterFamily family : {FilterFamily::Butterworth, FilterFamily::Chebyshev, FilterFamily::Elliptic}) {
        for (int order = 1; order <= 6; ++order) {
            std::vector<FilterCase> cases;
            for (double cutoff : cutoffs)
                cases.push_back({family, order, rate, 0.0, cutoff});
            for (const auto& band : bands)
                cases.push_back({family, order, rate, band[0], band[1]});
            for (const FilterCase& c : cases) {
                SCOPED_TRACE(Describe(c));
                std::vector<double> data(count, 0.0);
                data[10] = 1.0;
                ASSERT_EQ(RunFilter(c, data.data(), count, data.data()), kAnalysisOk);
                EXPECT_TRUE(std::all_of(data.begin(), data.begin() + 10, [](double v) { return v == 0; }));
                ASSERT_TRUE(std::all_of(data.begin(), data.end(), IsFinite));
                double peak = 0.0, tail = 0.0;   // largest magnitude in the first and second half
                for (int i = 0; i < count; ++i) {
                    double& largest = i < count / 2 ? peak : tail;
                    largest = std::max(largest, std::fabs(data[i]));
                }
                EXPECT_GT(peak, 0.0);
                EXPECT_LT(tail, 1e-6 * peak);
            }
        }
    }
}

TEST(BandFilterExamples, FirstOrderLowPassAtQuarterRateAveragesNeighbours)
{
    const std::vector<double> input = Noise(1000);
    std::vector<double> output(input.size());
    ASSERT_EQ(ButterworthLowPass(input.data(), 1000, 8000.0, 2000.0, 1, output.data()), kAnalysisOk);
    for (int i = 0; i < 1000; ++i) {
        const double previous = i > 0 ? input[i - 1] : 0.0;
        ASSERT_NEAR(output[i], (input[i] + previous) / 2.0, 1e-14) << "sample " << i;
    }
}

TEST(BandFilterExamples, FirstOrderChebyshevBandPassIsTheButterworthOne)
{
    const std::vector<double> input = Noise(5000);
    std::vector<double> chebyshev(input.size()), butterworth(input.size());
    ASSERT_EQ(ChebyshevBandPass(input.data(), 5000, 10000.0, 500.0, 1500.0, 0.5, 1, chebyshev.data()),
              kAnalysisOk);
    ASSERT_EQ(ButterworthBandPass(input.data(), 5000, 10000.0, 500.0, 1500.0, 1, butterworth.data()),
              kAnalysisOk);
    EXPECT_EQ(chebyshev, butterworth);
    // The low-pass of order 1 keeps its Chebyshev pole, and so differs.
    ASSERT_EQ(ChebyshevLowPass(input.data(), 5000, 10000.0, 1500.0, 0.5, 1, chebyshev.data()), kAnalysisOk);
    ASSERT_EQ(ButterworthLowPass(input.data(), 5000, 10000.0, 1500.0, 1, butterworth.data()), kAnalysisOk);
    EXPECT_NE(chebyshev, butterworth);
}

TEST(BandFilterExamples, OutOfPlaceLeavesTheInputAndMatchesInPlace)
{
    const std::vector<double> input = Noise(3000);
    for (FilterFamily family : {FilterFamily::Butterworth, FilterFamily::Chebyshev, FilterFamily::Elliptic}) {
        for (const FilterCase c :
             {FilterCase{family, 3, 8000.0, 0.0, 900.0}, FilterCase{family, 4, 8000.0, 300.0, 900.0}}) {
            SCOPED_TRACE(Describe(c));
            std::vector<double> source = input, output(input.size(), -5.0), inPlace = input;
            ASSERT_EQ(RunFilter(c, source.data(), 3000, output.data()), kAnalysisOk);
            ASSERT_EQ(RunFilter(c, inPlace.data(), 3000, inPlace.data()), kAnalysisOk);
            EXPECT_EQ(source, input);
            EXPECT_EQ(output, inPlace);
        }
    }
}

// ---- Argument checks ----

using Routine = std::function<AnalysisStatus(const double*, int, double*)>;

struct StatusCase {
    const char* name;
    Routine routine;
    AnalysisStatus expected;
};

std::vector<StatusCase> StatusCases()
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    using R = Routine;
    auto bwLow = [](double f, double fc, int n) -> R {
        return [=](const double* in, int c, double* out) { return ButterworthLowPass(in, c, f, fc, n, out); };
    };
    auto bwBand = [](double f, double lo, double hi, int n) -> R {
        return [=](const double* in, int c, double* out) {
            return ButterworthBandPass(in, c, f, lo, hi, n, out);
        };
    };
    auto chLow = [](double f, double fc, double r, int n) -> R {
        return
            [=](const double* in, int c, double* out) { return ChebyshevLowPass(in, c, f, fc, r, n, out); };
    };
    auto chBand = [](double f, double lo, double hi, double r, int n) -> R {
        return [=](const double* in, int c, double* out) {
            return ChebyshevBandPass(in, c, f, lo, hi, r, n, out);
        };
    };
    auto elLow = [](double f, double fc, double r, double a, int n) -> R {
        return
            [=](const double* in, int c, double* out) { return EllipticLowPass(in, c, f, fc, r, a, n, out); };
    };
    auto elBand = [](double f, double lo, double hi, double r, double a, int n) -> R {
        return [=](const double* in, int c, double* out) {
            return EllipticBandPass(in, c, f, lo, hi, r, a, n, out);
        };
    };
    auto withCount = [](R routine, int count) -> R {
        return [=](const double* in, int, double* out) { return routine(in, count, out); };
    };
    return {
        // The sample count is checked first, then the order, whatever else is wrong.
        {"count 0", withCount(bwLow(-1.0, -1.0, 0), 0), kFilterBadCount},
        {"count -5", withCount(elBand(1000, 300, 100, 50, 40, 0), -5), kFilterBadCount},
        {"order 0", bwLow(1000, 600, 0), kFilterBadOrder},
        {"order -1", elBand(1000, 300, 100, 50, 40, -1), kFilterBadOrder},
        {"Butterworth low-pass cut-off 0", bwLow(1000, 0, 2), kFilterBadFrequency},
        {"Butterworth low-pass cut-off NaN", bwLow(1000, nan, 2), kFilterBadFrequency},
        {"Butterworth low-pass rate 0 before Nyquist", bwLow(0, 600, 2), kFilterBadFrequency},
        {"Butterworth low-pass rate infinite", bwLow(inf, 600, 2), kFilterBadFrequency},
        {"Butterworth low-pass above F/2", bwLow(1000, 500.5, 2), kFilterAboveNyquist},
        {"Butterworth band lower 0", bwBand(1000, 0, 100, 2), kFilterBadFrequency},
        {"Butterworth band upper -1", bwBand(1000, 50, -1, 2), kFilterBadFrequency},
        {"Butterworth band Fmin = Fmax", bwBand(1000, 100, 100, 2), kFilterBadFrequency},
        {"Butterworth band inverted and above F/2", bwBand(1000, 700, 600, 2), kFilterBadFrequency},
        {"Butterworth band above F/2", bwBand(1000, 100, 501, 2), kFilterAboveNyquist},
        {"Chebyshev low-pass rate before ripple", chLow(-1, 100, 0, 2), kFilterBadFrequency},
        {"Chebyshev low-pass ripple 0", chLow(1000, 100, 0, 2), kFilterBadRipple},
        {"Chebyshev low-pass ripple NaN", chLow(1000, 100, nan, 2), kFilterBadRipple},
        {"Chebyshev low-pass ripple before Nyquist", chLow(1000, 600, -1, 2), kFilterBadRipple},
        {"Chebyshev low-pass above F/2", chLow(1000, 600, 0.1, 2), kFilterAboveNyquist},
        {"Chebyshev band ripple before band order", chBand(1000, 300, 100, 0, 2), kFilterBadRipple},
        {"Chebyshev band inverted", chBand(1000, 300, 100, 0.1, 2), kFilterBadFrequency},
        {"Chebyshev band above F/2", chBand(1000, 100, 600, 0.1, 2), kFilterAboveNyquist},
        {"elliptic low-pass attenuation 0", elLow(1000, 100, 0.1, 0, 2), kFilterBadAttenuation},
        {"elliptic low-pass ripple first", elLow(1000, 100, 0, 0, 2), kFilterBadRipple},
        {"elliptic low-pass ripple = attenuation", elLow(1000, 100, 40, 40, 2),
         kFilterRippleNotBelowAttenuation},
        {"elliptic low-pass ripple order before Nyquist", elLow(1000, 600, 50, 40, 2),
         kFilterRippleNotBelowAttenuation},
        {"elliptic low-pass above F/2", elLow(1000, 600, 0.1, 40, 2), kFilterAboveNyquist},
        {"elliptic band attenuation before band order", elBand(1000, 300, 100, 0.1, -3, 2),
         kFilterBadAttenuation},
        {"elliptic band ripple above attenuation", elBand(1000, 300, 100, 50, 40, 2),
         kFilterRippleNotBelowAttenuation},
        {"elliptic band inverted", elBand(1000, 300, 100, 0.1, 40, 2), kFilterBadFrequency},
        {"elliptic band above F/2", elBand(1000, 100, 600, 0.1, 40, 2), kFilterAboveNyquist},
        {"elliptic band attenuation too large for a double", elBand(1000, 100, 200, 0.1, 1e4, 2),
         kFilterBadAttenuation},
        // Edges at exactly F/2 are accepted.
        {"Butterworth low-pass at F/2", bwLow(1000, 500, 3), kAnalysisOk},
        {"Chebyshev band up to F/2", chBand(1000, 100, 500, 0.1, 2), kAnalysisOk},
        {"elliptic low-pass at F/2", elLow(1000, 500, 0.1, 40, 4), kAnalysisOk},
    };
}

TEST(BandFilterChecks, StatusCodesInTheirOrderAndFailuresWriteNothing)
{
    const std::vector<double> input = Noise(64);
    for (const StatusCase& c : StatusCases()) {
        SCOPED_TRACE(c.name);
        std::vector<double> source = input;
        std::vector<double> output(64, 123.0);
        EXPECT_EQ(c.routine(source.data(), 64, output.data()), c.expected);
        EXPECT_EQ(source, input);
        std::vector<double> inPlace = input;
        EXPECT_EQ(c.routine(inPlace.data(), 64, inPlace.data()), c.expected);
        if (c.expected != kAnalysisOk) {
            EXPECT_EQ(output, std::vector<double>(64, 123.0));
            EXPECT_EQ(inPlace, input);
        } else {
            EXPECT_TRUE(std::all_of(output.begin(), output.end(), IsFinite));
            EXPECT_EQ(output, inPlace);
        }
    }
}

// ---- The dispatcher ----

TEST(BandFilterDispatch, PicksTheRoutineAndReportsFailures)
{
    const int count = 2000, rate = 8000;
    const std::vector<double> input = Noise(count);
    struct Dispatch {
        int type, order, fmin, fmax;
        bool fails;
        FilterCase direct;   // the routine the dispatcher should have called
    };
    const Dispatch cases[] = {
        {0, 2, 0, 500, false, {FilterFamily::Butterworth, 2, rate, 0, 500}},
        {0, 5, 100, 900, false, {FilterFamily::Butterworth, 5, rate, 100, 900}},
        {1, 4, 0, 4000, false, {FilterFamily::Chebyshev, 4, rate, 0, 4000}},
        {1, 3, 250, 1250, false, {FilterFamily::Chebyshev, 3, rate, 250, 1250}},
        {2, 6, 0, 700, false, {FilterFamily::Elliptic, 6, rate, 0, 700}},
        {2, 1, 50, 3000, false, {FilterFamily::Elliptic, 1, rate, 50, 3000}},
        {0, 0, 100, 900, true, {}},   // order 0
        {1, 3, 900, 900, true, {}},   // Fmin = Fmax
        {2, 3, 0, 4001, true, {}},    // above F/2
        {0, 3, -10, 900, true, {}},   // negative lower edge
        {3, 3, 100, 900, true, {}},   // unknown type: nothing filtered
        {-1, 3, 0, 900, true, {}},
    };
    for (const Dispatch& d : cases) {
        SCOPED_TRACE(testing::Message() << "type " << d.type << ", order " << d.order << ", Fmin " << d.fmin
                                        << ", Fmax " << d.fmax);
        std::vector<double> data = input;
        EXPECT_EQ(ApplyBandFilter(d.type, d.order, d.fmin, d.fmax, count, rate, data.data(), data.data()),
                  d.fails);
        if (d.fails) {
            EXPECT_EQ(data, input);
            continue;
        }
        std::vector<double> expected = input;
        ASSERT_EQ(RunFilter(d.direct, expected.data(), count, expected.data()), kAnalysisOk);
        EXPECT_EQ(data, expected);
    }
    std::vector<double> data = input;
    EXPECT_TRUE(ApplyBandFilter(0, 2, 0, 500, 0, rate, data.data(), data.data()));
    EXPECT_EQ(data, input);
}

}   // namespace
