// The exact discrete Fourier transform of a real array of any length.
//
// RealDft(x, y, N) replaces x and fills y so that afterwards
//     x[k] + j*y[k] = sum_{t=0}^{N-1} x_t * exp(-j*2*pi*k*t/N),   k = 0 ... N-1
// (forward transform, no normalisation, the full two-sided result with
// X[N-k] = conj(X[k]); X[0], and X[N/2] for even N, have y = 0 exactly).
// Both arrays hold N doubles. The cost is O(N log N) for every N: a real-input
// transform built on a half-length complex transform for even N, mixed radix
// (10, 8, 5, 4, 3, 2 and any prime up to 998) when every prime factor is at most 998,
// chirp-z over power-of-two transforms otherwise. No padding or truncation: the result
// is the N-point transform to double rounding.
//
// Status: 0; -20003 when N <= 0 (nothing written); -20001 when work memory cannot be
// obtained (x and y are then left as they were).
//
// Thread safety: may be called from several threads at once. The only shared state is a
// small pool of work buffers guarded by one process-wide lock.
#pragma once

#include "AnalysisStatus.h"

constexpr AnalysisStatus kDftBadCount = -20003;
constexpr AnalysisStatus kDftNoMemory = -20001;

AnalysisStatus RealDft(double* x, double* y, int N);

// Bytes of one pooled work buffer (enough for the generic prime-radix butterfly of any
// prime up to 998), and how many idle buffers the pool keeps.
constexpr int kDftPoolBufferBytes = 63936;
constexpr int kDftPoolSize = 4;
