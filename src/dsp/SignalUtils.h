// Small routines on sampled series shared by the windows and the other numerical
// routines: integration, differentiation, linear maps, differences, extremes, the test
// signal's white-noise generator, the chart cursor readouts and the clock-time text.
// Series are arrays of doubles with an explicit count; unless stated otherwise the output
// may be the input array itself.
#pragma once

#include "AnalysisStatus.h"

#include <array>
#include <cstdint>
#include <string>

constexpr AnalysisStatus kSeriesTooShort = -20003;
constexpr AnalysisStatus kBadSampleInterval = -20016;
constexpr AnalysisStatus kNoiseLockUnavailable = -20064;

// Cumulative integral with Simpson-like weights: with x[-1] = initial and x[n] = final,
//     y[i] = sum_{k=0}^{i} (x[k-1] + 4 x[k] + x[k+1]) * dt/6,   i = 0 ... n-1.
// Units: those of x times those of dt. Status: -20003 for n < 1, -20016 unless dt > 0
// (NaN included); nothing is written then.
AnalysisStatus IntegrateSeries(const double* x, int n, double dt, double initial, double final, double* y);

// Central difference: with x[-1] = initial and x[n] = final,
//     y[i] = (x[i+1] - x[i-1]) * (0.5 / dt),   i = 0 ... n-1.
// Status: -20003 for n <= 0, -20016 unless dt > 0.
AnalysisStatus DifferentiateSeries(const double* x, int n, double dt, double initial, double final,
                                   double* y);

// y[i] = a * x[i] + b. Status -20003 for n <= 0.
AnalysisStatus LinearMap(const double* x, int n, double a, double b, double* y);

// z[i] = x[i] - y[i]. Status -20003 for n <= 0.
AnalysisStatus SubtractSeries(const double* x, const double* y, int n, double* z);

// Smallest and largest of a[0 ... n-1]. With n < 1 nothing is read and both are 0.
void FindMinMax(int n, const double* a, double& min, double& max);

// Extremes of the displayed values F * y[i] (F = factors[channel], the display unit factor
// of `channel`, 0 ... 5; 1.0 for any other index) over the stretch that starts at the first x above lo
// (or at 0 when there is none) and ends at the first x above hi (or at n - 2 when there is
// none, leaving the last sample out). x is ascending. When that stretch is empty, only its
// first sample is used; with n < 1 both results are 0.
void LocalExtremes(int n, double lo, double hi, const double* x, const double* y, int channel,
                   const std::array<double, 6>& factors, double& min, double& max);

// Uniform white noise from a Wichmann-Hill generator whose three stream values are
// process-wide (1234, 2345, 3456 at start-up) and guarded by a lock:
//     y[i] = (r - 16383) * (amplitude / 16384),   r in 0 ... 32767,
// so values lie in [-16383/16384, 1] * amplitude in steps of amplitude/16384. A positive
// seed restarts the streams from that seed; 0 or a negative seed continues the sequence.
// Status: -20003 for n < 1 (state unchanged). (-20064, a lock that cannot be created,
// cannot happen with the standard library's lock and is kept only as a named code.)
AnalysisStatus UniformNoise(int n, double amplitude, int seed, double* y);

// The generator's three stream values, for tests and for reproducing a run.
std::array<int32_t, 3> NoiseState();
void SetNoiseState(const std::array<int32_t, 3>& state);

// The three readout texts under the chart for two measuring cursors at x values cursor1
// and cursor2: text 1 and 2 give x and the six displayed channel values (factors[c] times
// the stored value, factors[c] the display unit factor of channel c) at each cursor,
// text 3 the differences ("t(с)= ", "dt(с)= " in the time view, "f(Гц)= ", "df(Гц)= " in
// the spectrum view; numbers with 1 decimal). A cursor reads the first sample in
// first ... last whose x exceeds its value, or sample `last` when none does. With an
// empty range (first < 0 or last < first) the texts hold their headings only. The pixel
// arguments are accepted for the caller's convenience and not used.
void BuildCursorReadouts(int pixel1, int pixel2, int first, int last, const double* x,
                         const double* const channels[6], std::array<std::string, 3>& texts, double cursor1,
                         double cursor2, bool spectrumView, const std::array<double, 6>& factors);

// "hh:mm:ss", or "hh:mm:ss" + separator + two decimals of the seconds with withFraction.
// The seconds are rounded before the leading zero is decided, and a rounding up to 60
// carries into the minutes and hours (59.999 s gives "00:01:00,00"). Hours past 99 take
// more digits. A negative time is written as its magnitude with a leading "-"; a
// non-finite one as zero; magnitudes above 3.6e15 s are clamped to that.
std::string FormatClockTime(double seconds, bool withFraction);
