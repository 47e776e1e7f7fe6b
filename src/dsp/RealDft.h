// The exact discrete Fourier transform of a real array of any length.
//
// RealDft(x, y, N) replaces x and fills y so that afterwards
//     x[k] + j*y[k] = sum_{t=0}^{N-1} x_t * exp(-j*2*pi*k*t/N),   k = 0 ... N-1
// (forward transform, no normalisation, the full two-sided result with
// X[N-k] = conj(X[k]); X[0], and X[N/2] for even N, have y = 0 exactly).
// Both arrays hold N doubles. The cost is O(N log N) for every N, primes included; no
// padding or truncation: the result is the N-point transform to double rounding.
//
// RealDftHalf(x, re, im, N) is the same transform's first half, bins 0 ... N/2, for callers
// that need no more: x is left as it is; re and im hold N/2 + 1 doubles each.
// RealDftBins(x, re, im, N, count) writes bins 0 ... count - 1 only (count <= N/2 + 1; a
// larger count is taken as N/2 + 1), so re and im may be arrays of exactly count doubles.
//
// Status: 0; -20003 when N <= 0 (nothing written); -20001 when work memory cannot be
// obtained (nothing written).
//
// Thread safety: may be called from several threads at once. Plans are made once per length
// (estimated, not measured, so a result never depends on the machine's timing), kept for the
// most recent lengths, and made under one process-wide lock.
#pragma once

#include "AnalysisStatus.h"

#include <cstddef>
#include <memory>

constexpr AnalysisStatus kDftBadCount = -20003;
constexpr AnalysisStatus kDftNoMemory = -20001;

AnalysisStatus RealDft(double* x, double* y, int N);
AnalysisStatus RealDftHalf(const double* x, double* re, double* im, int N);
AnalysisStatus RealDftBins(const double* x, double* re, double* im, int N, int count);

// The same half transform into the caller's array: bins 0 ... N/2 as (re, im) pairs, so out
// holds 2 (N/2 + 1) doubles. An array aligned to 64 bytes is written by the
// transform itself; any other is filled by copying. Status as RealDftHalf.
AnalysisStatus RealDftInto(const double* x, int N, double* out);

// How many lengths keep their plan; a further length replaces the one used longest ago.
constexpr int kDftCachedPlans = 8;

// Arrays for RealDftPlan, aligned as the plans need (free with FreeDftArray); nullptr when
// the memory cannot be obtained.
double* AllocateDftArray(size_t doubles);
void FreeDftArray(double* array);

// One length's half transform run many times on the caller's own arrays, for loops that
// transform segment after segment and must not look a plan up or copy each time. The plan
// is the shared one RealDftInto uses (made under the same lock, kept alive by this object),
// so results are those of RealDftInto bit for bit. Running it is thread-safe.
class RealDftPlan {
public:
    explicit RealDftPlan(int N);
    bool valid() const { return plan_ != nullptr; }
    int length() const { return n_; }
    // out[2k], out[2k + 1] = re, im of bin k = 0 ... N/2. Both arrays from AllocateDftArray;
    // in holds N doubles and is left as it is, out 2 (N/2 + 1).
    void execute(double* in, double* out) const;

private:
    int n_ = 0;
    std::shared_ptr<void> holder_;
    void* plan_ = nullptr;
};
