#include "Filters.h"

#include "EllipticFunctions.h"

#include <cmath>
#include <complex>
#include <cstddef>
#include <cstring>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// Positive and finite: NaN and infinity fail as well (an infinite rate would warp every edge to
// zero and silently produce a filter that passes nothing).
bool IsPositive(double value)
{
    return value > 0.0 && std::isfinite(value);
}

double Prewarp(double frequency, double rate)
{
    return std::tan(kPi * frequency / rate);
}

// 10^(dB/10) - 1 without the cancellation of a tiny ripple; infinity when dB is too large for a
// double, which the callers reject like a non-positive value.
double PowerRatioMinusOne(double db)
{
    return std::expm1(db * (std::numbers::ln10 / 10.0));
}

AnalysisStatus CheckRipple(double rippleDb)
{
    return IsPositive(rippleDb) && std::isfinite(PowerRatioMinusOne(rippleDb)) ? kAnalysisOk
                                                                               : kFilterBadRipple;
}

AnalysisStatus CheckAttenuation(double attenuationDb)
{
    return IsPositive(attenuationDb) && std::isfinite(PowerRatioMinusOne(attenuationDb))
               ? kAnalysisOk
               : kFilterBadAttenuation;
}

// Bilinear transform of an analog quadratic c0 + c1 s + c2 s^2 (numerator or denominator of a
// ratio), multiplied through by (1 + z^-1)^2: coefficients of z^0, z^-1, z^-2.
struct Quadratic {
    double z0, z1, z2;
};
Quadratic Bilinear(double c0, double c1, double c2)
{
    return {c0 + c1 + c2, 2.0 * (c0 - c2), c0 - c1 + c2};
}

// The stage numerator / denominator, normalised so that a0 = 1.
Biquad MakeBiquad(StageForm form, const Quadratic& numerator, const Quadratic& denominator)
{
    Biquad stage;
    stage.form = form;
    stage.b0 = numerator.z0 / denominator.z0;
    stage.b1 = numerator.z1 / denominator.z0;
    stage.b2 = numerator.z2 / denominator.z0;
    stage.a1 = denominator.z1 / denominator.z0;
    stage.a2 = denominator.z2 / denominator.z0;
    return stage;
}

void SetFrequencyBand(double rate, double lower, double upper, bool& bandPass, double& omega0Squared,
                      double& bandwidth)
{
    const double omegaLow = Prewarp(lower, rate);
    const double omegaHigh = Prewarp(upper, rate);
    bandPass = true;
    omega0Squared = omegaLow * omegaHigh;
    bandwidth = omegaHigh - omegaLow;
}

// The checks the band-pass designs share, after the order: lower, upper, rate, then the
// family's ripple/attenuation checks (passed in as an already computed status), then the band
// order and the Nyquist limit.
AnalysisStatus CheckBand(double rate, double lower, double upper, AnalysisStatus familyStatus)
{
    if (!IsPositive(lower) || !IsPositive(upper) || !IsPositive(rate))
        return kFilterBadFrequency;
    if (familyStatus != kAnalysisOk)
        return familyStatus;
    if (!(lower < upper))
        return kFilterBadFrequency;
    if (!(upper <= rate / 2.0))
        return kFilterAboveNyquist;
    return kAnalysisOk;
}

AnalysisStatus CheckCutoff(double rate, double cutoff, AnalysisStatus familyStatus)
{
    if (!IsPositive(cutoff) || !IsPositive(rate))
        return kFilterBadFrequency;
    if (familyStatus != kAnalysisOk)
        return familyStatus;
    if (!(cutoff <= rate / 2.0))
        return kFilterAboveNyquist;
    return kAnalysisOk;
}

AnalysisStatus CheckEllipticParameters(double rippleDb, double attenuationDb)
{
    if (const AnalysisStatus status = CheckRipple(rippleDb); status != kAnalysisOk)
        return status;
    if (const AnalysisStatus status = CheckAttenuation(attenuationDb); status != kAnalysisOk)
        return status;
    if (!(rippleDb < attenuationDb))
        return kFilterRippleNotBelowAttenuation;
    return kAnalysisOk;
}

AnalysisStatus Filter(const FilterDesign& design, const double* input, int count, double* output)
{
    // memmove: a caller may hand in overlapping arrays, not only the same one.
    if (input != output)
        std::memmove(output, input, static_cast<std::size_t>(count) * sizeof(double));
    RunFilterCascade(design, output, count);
    return kAnalysisOk;
}

}   // namespace

// ---- Design ----

FilterDesign::PrototypePole FilterDesign::Pole(int index) const
{
    PrototypePole pole;
    const int n = order_;
    if (HasRealPole() && index == 0) {
        switch (family_) {
        case FilterFamily::Butterworth:
            pole.sigma = 1.0;
            break;
        case FilterFamily::Chebyshev:
            pole.sigma = butterworthRealPole_ ? 1.0 : sinhPhi_;
            break;
        case FilterFamily::Elliptic:
            pole.sigma = s0_ * c0_ / (1.0 - s0_ * s0_);
            break;
        }
        return pole;
    }
    const int k = index - (HasRealPole() ? 1 : 0) + 1;   // pair index 1, 2, ...
    if (family_ == FilterFamily::Elliptic) {
        // u_i = i K / n with i = 1, 3, 5, ... (even n) or 2, 4, ... (odd n).
        const int i = n % 2 == 0 ? 2 * k - 1 : 2 * k;
        const JacobiValues j = JacobiFunctions(i * quarterPeriod_ / n, selectivity_, selectivityC_);
        const double d = 1.0 - s0_ * s0_ * j.dn * j.dn;
        pole.sigma = j.cn * j.dn * s0_ * c0_ / d;
        pole.omega = j.sn * d0_ / d;
        pole.zero = 1.0 / (selectivity_ * j.sn);
        return pole;
    }
    // Butterworth angle theta_k = pi/2 + (2k - 1) pi / (2n).
    const double theta = kPi / 2.0 + (2 * k - 1) * kPi / (2.0 * n);
    if (family_ == FilterFamily::Butterworth) {
        pole.sigma = -std::cos(theta);
        pole.omega = std::sin(theta);
    } else {
        pole.sigma = -sinhPhi_ * std::cos(theta);
        pole.omega = coshPhi_ * std::sin(theta);
    }
    return pole;
}

FilterSection FilterDesign::Section(int index) const
{
    FilterSection section;
    const PrototypePole pole = Pole(index);
    const bool isRealPole = HasRealPole() && index == 0;

    // The even-order ripple gain sits in the first pair section, except for the Chebyshev
    // band-pass, whose gain applies after the last section; folding it into that section's
    // numerator saves a pass over the data.
    double gain = 1.0;
    if (!HasRealPole()) {
        const bool gainSection =
            (family_ == FilterFamily::Chebyshev && bandPass_) ? index == SectionCount() - 1 : index == 0;
        if (gainSection)
            gain = evenOrderGain_;
    }

    if (!bandPass_) {
        const double wc = omegaC_;
        if (isRealPole) {
            // u/(s + u), u = sigma Omega_c:
            // y[i] = u/(1+u) (x[i] + x[i-1]) + (1-u)/(1+u) y[i-1]
            const double u = pole.sigma * wc;
            section.order = 1;
            section.stage[0] = MakeBiquad(StageForm::FirstOrder, {u, u, 0.0}, {1.0 + u, u - 1.0, 0.0});
            return section;
        }
        // m^2 / (s^2 + b s + m^2), m^2 = (sigma^2 + omega^2) Omega_c^2, b = 2 sigma Omega_c,
        // d = 1 + b + m^2: y[i] = g m^2/d (x[i] + 2x[i-1] + x[i-2]) + 2(1 - m^2)/d y[i-1]
        // - (1 - b + m^2)/d y[i-2]. An elliptic zero makes the numerator h (s^2 + W) with
        // W = Omega_z^2 Omega_c^2, h = g m^2/W: h(1+W)/d (x[i] + x[i-2]) - 2h(1-W)/d x[i-1].
        const double m2 = (pole.sigma * pole.sigma + pole.omega * pole.omega) * wc * wc;
        const double b = 2.0 * pole.sigma * wc;
        const Quadratic denominator = Bilinear(m2, b, 1.0);
        section.order = 2;
        if (pole.zero == 0.0) {
            section.stage[0] = MakeBiquad(StageForm::LowPass, Bilinear(gain * m2, 0.0, 0.0), denominator);
        } else {
            const double w = pole.zero * pole.zero * wc * wc;
            const double h = gain * m2 / w;
            section.stage[0] = MakeBiquad(StageForm::Notch, Bilinear(h * w, 0.0, h), denominator);
        }
        return section;
    }

    const double w02 = omega0Squared_;
    const double bw = bandwidth_;
    if (isRealPole) {
        // sigma B s / (s^2 + sigma B s + Omega_0^2), beta = sigma B, d = 1 + beta + Omega_0^2:
        // y[i] = beta/d (x[i] - x[i-2]) + 2(1 - Omega_0^2)/d y[i-1] - (1 - beta + Omega_0^2)/d y[i-2]
        const double beta = pole.sigma * bw;
        section.order = 2;
        section.stage[0] =
            MakeBiquad(StageForm::BandPass, Bilinear(0.0, beta, 0.0), Bilinear(w02, beta, 1.0));
        return section;
    }
    // Pair: g M B^2 s^2 / ((s^2 + W0)^2 + 2 sigma B s (s^2 + W0) + M B^2 s^2), W0 = Omega_0^2,
    // M = sigma^2 + omega^2, i.e. the low-pass pair under s -> (s^2 + W0)/(B s). Its denominator
    // factors into (s - s1)(s - s1*)(s - s2)(s - s2*), s1 and s2 the roots of s^2 - p B s + W0
    // for the prototype pole p = -sigma + j omega (s1 s2 = W0). Each factor pair becomes one
    // stage; the numerator is shared out evenly, sqrt(g M) B s per stage.
    const std::complex<double> pb = std::complex<double>(-pole.sigma, pole.omega) * bw;
    const std::complex<double> root = std::sqrt(pb * pb - 4.0 * w02);
    // The larger root from the sum that does not cancel, the smaller from the product.
    const std::complex<double> s1 =
        0.5 * (std::abs(pb + root) >= std::abs(pb - root) ? pb + root : pb - root);
    const std::complex<double> s2 = w02 / s1;
    const Quadratic upperDenominator = Bilinear(std::norm(s1), -2.0 * s1.real(), 1.0);
    const Quadratic lowerDenominator = Bilinear(std::norm(s2), -2.0 * s2.real(), 1.0);
    section.order = 4;
    if (pole.zero == 0.0) {
        const double k = std::sqrt(gain * (pole.sigma * pole.sigma + pole.omega * pole.omega)) * bw;
        section.stage[0] = MakeBiquad(StageForm::BandPass, Bilinear(0.0, k, 0.0), upperDenominator);
        section.stage[1] = MakeBiquad(StageForm::BandPass, Bilinear(0.0, k, 0.0), lowerDenominator);
        return section;
    }
    // Elliptic pair: g M/Omega_z^2 ((s^2 + W0)^2 + Omega_z^2 B^2 s^2) in the numerator, whose
    // zeros +-j Omega_a, +-j Omega_b are the images of +-j Omega_z (Omega_a - Omega_b = Omega_z B,
    // Omega_a Omega_b = W0); the upper zero goes with the upper pole pair.
    const double z2 = pole.zero * pole.zero;
    const double k = std::sqrt(gain * (pole.sigma * pole.sigma + pole.omega * pole.omega) / z2);
    const double zb = pole.zero * bw;
    const double upperZero = 0.5 * (zb + std::sqrt(zb * zb + 4.0 * w02));
    const double lowerZero = w02 / upperZero;
    section.stage[0] =
        MakeBiquad(StageForm::Notch, Bilinear(k * upperZero * upperZero, 0.0, k), upperDenominator);
    section.stage[1] =
        MakeBiquad(StageForm::Notch, Bilinear(k * lowerZero * lowerZero, 0.0, k), lowerDenominator);
    return section;
}

namespace {

AnalysisStatus CheckOrder(int order)
{
    return order < 1 ? kFilterBadOrder : kAnalysisOk;
}

// Chebyshev: eps = sqrt(10^(r/10) - 1), e^phi = ((sqrt(10^(r/10)) + 1)/eps)^(1/n).
void SetChebyshev(double rippleDb, int order, double& sinhPhi, double& coshPhi, double& evenOrderGain)
{
    const double epsSquared = PowerRatioMinusOne(rippleDb);
    const double eps = std::sqrt(epsSquared);
    const double root = std::sqrt(1.0 + epsSquared);
    const double ePhi = std::pow((root + 1.0) / eps, 1.0 / order);
    sinhPhi = 0.5 * (ePhi - 1.0 / ePhi);
    coshPhi = 0.5 * (ePhi + 1.0 / ePhi);
    evenOrderGain = order % 2 == 0 ? 1.0 / root : 1.0;
}

void SetElliptic(double rippleDb, double attenuationDb, int order, double& selectivity, double& selectivityC,
                 double& quarterPeriod, double& s0, double& c0, double& d0, double& evenOrderGain)
{
    const double epsPSquared = PowerRatioMinusOne(rippleDb);
    const double epsP = std::sqrt(epsPSquared);
    const double epsS = std::sqrt(PowerRatioMinusOne(attenuationDb));
    const double k1 = epsP / epsS;
    const double k1c = std::sqrt((1.0 - k1) * (1.0 + k1));
    const EllipticSelectivity sel = SolveEllipticDegreeEquation(k1, k1c, order);
    selectivity = sel.k;
    selectivityC = sel.kc;
    quarterPeriod = EllipticK(sel.kc);
    // v0 = K/(n K1) F(arctan(1/eps_p) | k1'); the modulus k1' has complementary modulus k1.
    const double k1Quarter = EllipticK(k1c);
    const double v0 = quarterPeriod / (order * k1Quarter) * EllipticF(std::atan(1.0 / epsP), k1);
    const JacobiValues j = JacobiFunctions(v0, sel.kc, sel.k);
    s0 = j.sn;
    c0 = j.cn;
    d0 = j.dn;
    evenOrderGain = order % 2 == 0 ? 1.0 / std::sqrt(1.0 + epsPSquared) : 1.0;
}

}   // namespace

AnalysisStatus DesignButterworthLowPass(double rate, double cutoff, int order, FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s = CheckCutoff(rate, cutoff, kAnalysisOk); s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Butterworth;
    design.order_ = order;
    design.omegaC_ = Prewarp(cutoff, rate);
    return kAnalysisOk;
}

AnalysisStatus DesignButterworthBandPass(double rate, double lower, double upper, int order,
                                         FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s = CheckBand(rate, lower, upper, kAnalysisOk); s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Butterworth;
    design.order_ = order;
    SetFrequencyBand(rate, lower, upper, design.bandPass_, design.omega0Squared_, design.bandwidth_);
    return kAnalysisOk;
}

AnalysisStatus DesignChebyshevLowPass(double rate, double cutoff, double rippleDb, int order,
                                      FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s = CheckCutoff(rate, cutoff, CheckRipple(rippleDb)); s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Chebyshev;
    design.order_ = order;
    design.omegaC_ = Prewarp(cutoff, rate);
    SetChebyshev(rippleDb, order, design.sinhPhi_, design.coshPhi_, design.evenOrderGain_);
    return kAnalysisOk;
}

AnalysisStatus DesignChebyshevBandPass(double rate, double lower, double upper, double rippleDb, int order,
                                       FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s = CheckBand(rate, lower, upper, CheckRipple(rippleDb)); s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Chebyshev;
    design.order_ = order;
    SetFrequencyBand(rate, lower, upper, design.bandPass_, design.omega0Squared_, design.bandwidth_);
    SetChebyshev(rippleDb, order, design.sinhPhi_, design.coshPhi_, design.evenOrderGain_);
    // Order 1 keeps its edges at the -3 dB points: its one section is the Butterworth one.
    design.butterworthRealPole_ = order == 1;
    return kAnalysisOk;
}

AnalysisStatus DesignEllipticLowPass(double rate, double cutoff, double rippleDb, double attenuationDb,
                                     int order, FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s = CheckCutoff(rate, cutoff, CheckEllipticParameters(rippleDb, attenuationDb));
        s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Elliptic;
    design.order_ = order;
    design.omegaC_ = Prewarp(cutoff, rate);
    SetElliptic(rippleDb, attenuationDb, order, design.selectivity_, design.selectivityC_,
                design.quarterPeriod_, design.s0_, design.c0_, design.d0_, design.evenOrderGain_);
    return kAnalysisOk;
}

AnalysisStatus DesignEllipticBandPass(double rate, double lower, double upper, double rippleDb,
                                      double attenuationDb, int order, FilterDesign& design)
{
    if (const AnalysisStatus s = CheckOrder(order); s != kAnalysisOk)
        return s;
    if (const AnalysisStatus s =
            CheckBand(rate, lower, upper, CheckEllipticParameters(rippleDb, attenuationDb));
        s != kAnalysisOk)
        return s;
    design = FilterDesign{};
    design.family_ = FilterFamily::Elliptic;
    design.order_ = order;
    SetFrequencyBand(rate, lower, upper, design.bandPass_, design.omega0Squared_, design.bandwidth_);
    SetElliptic(rippleDb, attenuationDb, order, design.selectivity_, design.selectivityC_,
                design.quarterPeriod_, design.s0_, design.c0_, design.d0_, design.evenOrderGain_);
    return kAnalysisOk;
}

// ---- The routines ----

namespace {

// Every routine designs its cascade and runs it; a refused design or count filters nothing.
template <typename Design>
AnalysisStatus DesignAndFilter(const double* input, int count, double* output, Design design)
{
    if (count < 1)
        return kFilterBadCount;
    FilterDesign cascade;
    if (const AnalysisStatus s = design(cascade); s != kAnalysisOk)
        return s;
    return Filter(cascade, input, count, output);
}

}   // namespace

AnalysisStatus ButterworthLowPass(const double* input, int count, double rate, double cutoff, int order,
                                  double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignButterworthLowPass(rate, cutoff, order, cascade);
    });
}

AnalysisStatus ButterworthBandPass(const double* input, int count, double rate, double lower, double upper,
                                   int order, double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignButterworthBandPass(rate, lower, upper, order, cascade);
    });
}

AnalysisStatus ChebyshevLowPass(const double* input, int count, double rate, double cutoff, double rippleDb,
                                int order, double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignChebyshevLowPass(rate, cutoff, rippleDb, order, cascade);
    });
}

AnalysisStatus ChebyshevBandPass(const double* input, int count, double rate, double lower, double upper,
                                 double rippleDb, int order, double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignChebyshevBandPass(rate, lower, upper, rippleDb, order, cascade);
    });
}

AnalysisStatus EllipticLowPass(const double* input, int count, double rate, double cutoff, double rippleDb,
                               double attenuationDb, int order, double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignEllipticLowPass(rate, cutoff, rippleDb, attenuationDb, order, cascade);
    });
}

AnalysisStatus EllipticBandPass(const double* input, int count, double rate, double lower, double upper,
                                double rippleDb, double attenuationDb, int order, double* output)
{
    return DesignAndFilter(input, count, output, [&](FilterDesign& cascade) {
        return DesignEllipticBandPass(rate, lower, upper, rippleDb, attenuationDb, order, cascade);
    });
}

bool ApplyBandFilter(int type, int order, int Fmin, int Fmax, int count, int rate, const double* input,
                     double* output)
{
    const double low = Fmin;
    const double high = Fmax;
    const double f = rate;
    const bool lowPass = Fmin == 0;
    AnalysisStatus status = kAnalysisOk;
    switch (type) {
    case kFilterButterworth:
        status = lowPass ? ButterworthLowPass(input, count, f, high, order, output)
                         : ButterworthBandPass(input, count, f, low, high, order, output);
        break;
    case kFilterChebyshev:
        status = lowPass ? ChebyshevLowPass(input, count, f, high, kDispatchRippleDb, order, output)
                         : ChebyshevBandPass(input, count, f, low, high, kDispatchRippleDb, order, output);
        break;
    case kFilterElliptic:
        status = lowPass ? EllipticLowPass(input, count, f, high, kDispatchRippleDb, kDispatchAttenuationDb,
                                           order, output)
                         : EllipticBandPass(input, count, f, low, high, kDispatchRippleDb,
                                            kDispatchAttenuationDb, order, output);
        break;
    default:
        return true;
    }
    return status != kAnalysisOk;
}
