// Recursive (IIR) low-pass and band-pass filters of three families, Butterworth, Chebyshev
// type I and elliptic, and the dispatcher the windows call. Each filter is designed by the
// bilinear transform s = (1 - z^-1)/(1 + z^-1) with pre-warped edges Omega = tan(pi f / F) and
// runs as a cascade of sections over the whole array, forward only, every section starting
// from rest (zero past inputs and outputs), so the first samples show the start-up transient.
//
// Frequencies are in Hz, the ripple and the attenuation in dB, the order is that of the analog
// low-pass prototype: a low-pass of order n has n poles, a band-pass 2n. Passbands:
//   Butterworth  -3.0103 dB at the edges, 0 dB at DC (low-pass) or at sqrt(Fl Fh) warped.
//   Chebyshev    ripple between -r and 0 dB, -r dB at the edges; even orders -r dB at DC.
//                The band-pass of order 1 is the Butterworth one (-3 dB edges).
//   Elliptic     ripple between -Rp and 0 dB, -Rp dB at the edges; at least As dB of
//                attenuation from 1/k of the (warped) passband edge on, k from
//                SolveEllipticDegreeEquation. Even orders sit at -Rp dB at DC, and their
//                stopband floor is -As dB right up to F/2 (low-pass) or down to DC (band-pass).
#pragma once

#include "AnalysisStatus.h"

#include <array>

// Failure codes (AnalysisStatus), checked before anything is written, the first failing check
// deciding, in this order; on failure the output array is left as it was:
//   count  order  frequencies > 0  [ripple > 0]  [attenuation > 0]  [ripple < attenuation]
//   [lower < upper]  cut-off or upper edge <= F/2.
// A NaN or infinite frequency, ripple or attenuation fails its "> 0" check, and so does a
// ripple or attenuation whose power ratio 10^(dB/10) does not fit in a double.
constexpr AnalysisStatus kFilterBadCount = -20003;                    // sample count < 1
constexpr AnalysisStatus kFilterBadOrder = -20021;                    // order < 1
constexpr AnalysisStatus kFilterBadFrequency = -20023;                // a frequency <= 0, or lower >= upper
constexpr AnalysisStatus kFilterBadRipple = -20024;                   // passband ripple <= 0
constexpr AnalysisStatus kFilterBadAttenuation = -20025;              // stopband attenuation <= 0
constexpr AnalysisStatus kFilterRippleNotBelowAttenuation = -20028;   // ripple >= attenuation
constexpr AnalysisStatus kFilterAboveNyquist = -20020;                // cut-off or upper edge > F/2

// `FilterType` values of the dispatcher (stored as a bare int in the settings record).
constexpr int kFilterButterworth = 0;
constexpr int kFilterChebyshev = 1;
constexpr int kFilterElliptic = 2;

// Fixed design constants the dispatcher uses.
constexpr double kDispatchRippleDb = 0.1;
constexpr double kDispatchAttenuationDb = 40.0;

// Both arrays hold `count` samples. Output may be the input itself (filtering in place);
// otherwise the input is first copied to the output (memmove, so an overlap is safe) and a
// separate input is left unchanged.
AnalysisStatus ButterworthLowPass(const double* input, int count, double rate, double cutoff, int order,
                                  double* output);
AnalysisStatus ButterworthBandPass(const double* input, int count, double rate, double lower, double upper,
                                   int order, double* output);
AnalysisStatus ChebyshevLowPass(const double* input, int count, double rate, double cutoff, double rippleDb,
                                int order, double* output);
AnalysisStatus ChebyshevBandPass(const double* input, int count, double rate, double lower, double upper,
                                 double rippleDb, int order, double* output);
AnalysisStatus EllipticLowPass(const double* input, int count, double rate, double cutoff, double rippleDb,
                               double attenuationDb, int order, double* output);
AnalysisStatus EllipticBandPass(const double* input, int count, double rate, double lower, double upper,
                                double rippleDb, double attenuationDb, int order, double* output);

// Picks the routine: type 0 Butterworth, 1 Chebyshev (0.1 dB), 2 elliptic (0.1 dB, 40 dB);
// Fmin = 0 gives the low-pass at Fmax, any other Fmin the band-pass Fmin ... Fmax. Returns true
// when the filter failed (the data are then untouched); an unknown type filters nothing and
// also returns true, so that a caller never takes unfiltered data for filtered.
bool ApplyBandFilter(int type, int order, int Fmin, int Fmax, int count, int rate, const double* input,
                     double* output);

// ---- Design, apart from the filtering pass, so that responses can be evaluated ----

// The shape of a stage's numerator, which the filtering pass uses to spend no multiplications
// on known coefficients: FirstOrder b0 = b1 (b2 = a2 = 0), LowPass (b0, 2 b0, b0),
// BandPass (b0, 0, -b0), Notch (b0, b1, b0).
enum class StageForm : unsigned char { FirstOrder, LowPass, BandPass, Notch };

// A second-order stage, a direct-form difference equation:
//   y[i] = b0 x[i] + b1 x[i-1] + b2 x[i-2] - a1 y[i-1] - a2 y[i-2].
struct Biquad {
    double b0 = 0.0, b1 = 0.0, b2 = 0.0;
    double a1 = 0.0, a2 = 0.0;
    StageForm form = StageForm::BandPass;
};

// One section of a cascade, every stage starting from rest. Low-pass sections are of
// order 1 (real pole: stage 0 with b2 = a2 = 0) or 2 (pair: stage 0); band-pass sections of
// order 2 (real pole: stage 0) or 4 (pair: stage 0 then stage 1).
// A fourth-order section is kept as its two second-order factors, the images of the pole pair
// under the band-pass transform: as one fourth-order recurrence its coefficients lose the pole
// positions of narrow bands near DC (at 48 kHz a 2-4 Hz band is off by 0.4 dB, a 1-2 Hz band
// turns unstable), while the factors hold them to rounding.
struct FilterSection {
    int order = 0;
    std::array<Biquad, 2> stage{};
};

enum class FilterFamily { Butterworth, Chebyshev, Elliptic };

// Everything the sections are computed from, with no storage that grows with the order: the
// cascade is produced one section at a time by Section(0 ... SectionCount() - 1), the real-pole
// section first (odd orders), then the pairs k = 1, 2, ... .
class FilterDesign {
public:
    int SectionCount() const { return (order_ + 1) / 2; }
    FilterSection Section(int index) const;

    FilterFamily Family() const { return family_; }
    bool IsBandPass() const { return bandPass_; }
    int Order() const { return order_; }
    // Elliptic only: passband edge / stopband edge of the analog prototype (the stopband begins at
    // 1/k rad/s); 0 for the other families.
    double Selectivity() const { return selectivity_; }

private:
    friend AnalysisStatus DesignButterworthLowPass(double, double, int, FilterDesign&);
    friend AnalysisStatus DesignButterworthBandPass(double, double, double, int, FilterDesign&);
    friend AnalysisStatus DesignChebyshevLowPass(double, double, double, int, FilterDesign&);
    friend AnalysisStatus DesignChebyshevBandPass(double, double, double, double, int, FilterDesign&);
    friend AnalysisStatus DesignEllipticLowPass(double, double, double, double, int, FilterDesign&);
    friend AnalysisStatus DesignEllipticBandPass(double, double, double, double, double, int, FilterDesign&);

    // Analog prototype pole (-sigma +- j omega) and, for elliptic pairs, the zero +-j zero.
    struct PrototypePole {
        double sigma = 1.0;
        double omega = 0.0;
        double zero = 0.0;   // 0: all-pole section
    };
    PrototypePole Pole(int index) const;
    bool HasRealPole() const { return order_ % 2 == 1; }

    FilterFamily family_ = FilterFamily::Butterworth;
    bool bandPass_ = false;
    int order_ = 1;
    double omegaC_ = 1.0;          // low-pass: warped cut-off
    double omega0Squared_ = 1.0;   // band-pass: warped centre squared, Omega_l Omega_h
    double bandwidth_ = 1.0;       // band-pass: Omega_h - Omega_l
    double evenOrderGain_ = 1.0;   // 1/sqrt(1 + eps^2) for even Chebyshev and elliptic orders
    double sinhPhi_ = 0.0;         // Chebyshev
    double coshPhi_ = 1.0;
    bool butterworthRealPole_ = false;        // Chebyshev band-pass of order 1
    double selectivity_ = 0.0;                // elliptic k
    double selectivityC_ = 1.0;               // elliptic k'
    double quarterPeriod_ = 0.0;              // elliptic K(k)
    double s0_ = 0.0, c0_ = 1.0, d0_ = 1.0;   // elliptic sn, cn, dn of (v0, k')
};

// The design steps of the six routines: the same checks in the same order, except the sample
// count, which only the filtering routines have.
AnalysisStatus DesignButterworthLowPass(double rate, double cutoff, int order, FilterDesign& design);
AnalysisStatus DesignButterworthBandPass(double rate, double lower, double upper, int order,
                                         FilterDesign& design);
AnalysisStatus DesignChebyshevLowPass(double rate, double cutoff, double rippleDb, int order,
                                      FilterDesign& design);
AnalysisStatus DesignChebyshevBandPass(double rate, double lower, double upper, double rippleDb, int order,
                                       FilterDesign& design);
AnalysisStatus DesignEllipticLowPass(double rate, double cutoff, double rippleDb, double attenuationDb,
                                     int order, FilterDesign& design);
AnalysisStatus DesignEllipticBandPass(double rate, double lower, double upper, double rippleDb,
                                      double attenuationDb, int order, FilterDesign& design);

// Runs the cascade over data[0 ... count-1] in place, every stage from rest; consecutive stages
// of one form share a pass (at most three to a pass), with the same result as one pass each.
void RunFilterCascade(const FilterDesign& design, double* data, int count);
