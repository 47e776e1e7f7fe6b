#include "TestSignal.h"

#include "LargeBuffer.h"
#include "SignalUtils.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace {

// The constants the generator has always used, so synthesised data stay reproducible.
constexpr double kTwoPi = 6.283185307179586;
constexpr double kDegree = 0.017453292519943295;

// Per-channel state of the impulse form: 0 waiting for a non-negative half-wave,
// 1 inside a counted half-wave, 2 inside the impulse, 3 after it.
struct PulseState {
    int state = 0;
    int count = 0;
};

double ShapeImpulse(double v, double amplitude, int half, PulseState& ps)
{
    // The seven steps in this order; each sees the value the earlier ones left.
    if (v >= 0 && ps.state == 0 && ps.count < half) {
        ps.state = 1;
        ++ps.count;
    }
    if (v < 0 && ps.state == 1)
        ps.state = 0;
    if (ps.count < half || ps.state == 3)
        v = 0;
    if (ps.count == half && ps.state == 1) {
        ps.state = 2;
        v = amplitude;
    }
    if (v >= 0 && ps.state == 2)
        v = amplitude;
    if (v < 0 && ps.state == 2)
        ps.state = 3;
    if (ps.state == 3)
        v = 0;
    return v;
}

// sin(phase) for a run of phases that grow slowly, without a library call per sample: each
// phase is taken as an anchor A, whose sine and cosine are computed once, plus an offset d,
// and sin(A + d) = sin A cos d + cos A sin d with short series for the small offset. A new
// anchor is taken once the offset passes kMaxOffset, so the series stay exact to rounding.
// The phases are the ones the direct formula would pass to std::sin, so the values agree with
// it to a few units in the last place.
class SineRun {
public:
    double operator()(double phase)
    {
        double d = phase - anchor_;
        if (!(std::fabs(d) <= kMaxOffset)) {
            anchor_ = phase;
            sinAnchor_ = std::sin(phase);
            cosAnchor_ = std::cos(phase);
            d = 0.0;
        }
        const double d2 = d * d;
        // Taylor series to d^11 and d^12: the first term left out is below 1e-17 for
        // |d| <= 0.25.
        const double sinD =
            d * (1.0 +
                 d2 * (-1.0 / 6 +
                       d2 * (1.0 / 120 + d2 * (-1.0 / 5040 + d2 * (1.0 / 362880 + d2 * (-1.0 / 39916800))))));
        const double cosD =
            1.0 + d2 * (-0.5 + d2 * (1.0 / 24 +
                                     d2 * (-1.0 / 720 + d2 * (1.0 / 40320 + d2 * (-1.0 / 3628800 +
                                                                                  d2 * (1.0 / 479001600))))));
        return sinAnchor_ * cosD + cosAnchor_ * sinD;
    }

private:
    static constexpr double kMaxOffset = 0.25;
    double anchor_ = std::numeric_limits<double>::infinity();
    double sinAnchor_ = 0.0;
    double cosAnchor_ = 1.0;
};

// The meander and the impulse decide on the sign of the sine; where the fast value is this
// close to zero, the value is taken from std::sin itself, so the shapes are the same to the
// sample whichever way the sine was computed, and every form agrees on its zeros.
constexpr double kSignGuard = 1e-9;

double SignSafe(double fast, double phase)
{
    return std::fabs(fast) < kSignGuard ? std::sin(phase) : fast;
}

}   // namespace

TestSignalParams TestSignalParams::FromSettings(const Settings& s)
{
    TestSignalParams p;
    p.form = s.type_sig;
    p.frequency = s.freq_sig;
    p.amplitude = s.ampl_sig;
    p.thetaZ = s.FI_Z;
    p.thetaX = s.FI_X;
    p.noisePercent = s.ampl_noise_sig;
    p.samplingRate = s.freq_ocifr;
    p.spacing = s.lmic;
    p.soundSpeed = s.skorost;
    return p;
}

int64_t TestSignalSampleCount(uint32_t rate, double duration)
{
    const double n = static_cast<double>(rate) * duration;
    if (!(n > 0))
        return 0;
    if (n >= static_cast<double>(std::numeric_limits<int64_t>::max()))
        return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(n);
}

void SynthesizeTestSignal(const TestSignalParams& p, int64_t count, double* const channels[6], double* time)
{
    if (count <= 0)
        return;
    const double a = p.amplitude;
    const double fs = p.samplingRate;
    const int half = p.frequency / 2;
    const double omega = kTwoPi * p.frequency;
    const double thetaZ = p.thetaZ * kDegree;
    const double thetaX = p.thetaX * kDegree;
    const double c = p.soundSpeed;
    // Phase leads of microphones 2, 4 and 6 over their partners: the wave's travel over the
    // projection of each pair's spacing onto the arrival direction.
    const double lead[3] = {
        omega * p.spacing[0] * std::sin(thetaZ) * std::cos(thetaX) / c,
        omega * p.spacing[1] * std::sin(thetaZ) * std::sin(thetaX) / c,
        omega * p.spacing[2] * std::cos(thetaZ) / c,
    };
    PulseState pulses[6];
    SineRun sines[4];   // the wave at the first microphones, and at the second of each pair
    for (int64_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / fs;
        time[i] = t;
        const double phase = omega * t;
        const double base = a * SignSafe(sines[0](phase), phase);
        double v[6];
        for (int pair = 0; pair < 3; ++pair) {
            const double leading = phase + lead[pair];
            v[2 * pair] = base;
            v[2 * pair + 1] = a * SignSafe(sines[pair + 1](leading), leading);
        }
        if (p.form == kTestSignalMeander) {
            for (double& x : v)
                x = x > 0 ? a : (x < 0 ? -a : 0.0);
        } else if (p.form == kTestSignalImpulse) {
            for (int k = 0; k < 6; ++k)
                v[k] = ShapeImpulse(v[k], a, half, pulses[k]);
        }
        for (int k = 0; k < 6; ++k)
            channels[k][i] = v[k];
    }

    // One noise sequence for all six channels, in whole ADC steps; the 64-bit product keeps
    // a large amplitude from wrapping around.
    const int64_t noiseAmplitude = static_cast<int64_t>(p.amplitude) * p.noisePercent / 100;
    std::vector<double> noise;
    AssignLarge(noise, static_cast<size_t>(count));
    for (int64_t done = 0; done < count;) {
        // The generator counts in int; longer signals take it in pieces of one sequence.
        const int piece = static_cast<int>(std::min<int64_t>(count - done, 1 << 30));
        UniformNoise(piece, static_cast<double>(noiseAmplitude), 0, noise.data() + done);
        done += piece;
    }
    for (int k = 0; k < 6; ++k) {
        double* ch = channels[k];
        for (int64_t i = 0; i < count; ++i)
            ch[i] += noise[static_cast<size_t>(i)];
    }
}

int TestSignalAmplitudeVolts(int32_t steps, double volt)
{
    const double v = std::trunc(static_cast<double>(steps) * volt);
    if (!(v == v))
        return 0;
    if (v >= std::numeric_limits<int>::max())
        return std::numeric_limits<int>::max();
    if (v <= std::numeric_limits<int>::min())
        return std::numeric_limits<int>::min();
    return static_cast<int>(v);
}

std::optional<int32_t> TestSignalAmplitudeSteps(int volts, double volt)
{
    if (!(volt > 0) || !std::isfinite(volt))
        return std::nullopt;
    const double steps = std::trunc(volts / volt + 1.0);
    if (!(steps >= std::numeric_limits<int32_t>::min() && steps <= std::numeric_limits<int32_t>::max()))
        return std::nullopt;
    return static_cast<int32_t>(steps);
}
