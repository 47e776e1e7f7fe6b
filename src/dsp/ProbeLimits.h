// Where a band result leaves what the probe can measure. A pair of microphones dr apart
// estimates the particle velocity by a finite difference whose error grows with k dr: in a
// plane wave the direction is 0.7 deg off at k dr = 0.5, 2.9 deg at 1 and 14.7 deg at 2. And
// a window wider than Hanning smears a line near bin 0 into its own mirror image, so such a
// line comes out too strong (flat top on a line at bin 10: |I| 9 % high). The numbers are left
// as they are; the windows and the batch tool say so in one sentence.
#pragma once

#include <array>
#include <string>

struct ProbeLimitCheck {
    // The band reaches above the frequency at which k dr = 1 for one of the pairs.
    bool aboveSpacingLimit = false;
    double spacingLimitHz = 0.0;   // the lowest such frequency over the three pairs
    int spacingLimitAxis = -1;     // 0 X, 1 Y, 2 Z: the pair that sets it
    // The strongest line of the band lies below bin kWideWindowMinBin and the window's
    // equivalent noise bandwidth is wider than Hanning's.
    bool wideWindowNearZero = false;
    int lineBin = -1;

    bool any() const { return aboveSpacingLimit || wideWindowNearZero; }
};

constexpr int kWideWindowMinBin = 20;

// bandHiHz: the band's upper frequency; spacings in m, soundSpeed in m/s; windowEnbw the
// window's equivalent noise bandwidth in bins (1 without a window); lineBin the bin of the
// band's strongest line (a negative value skips the window check).
ProbeLimitCheck CheckProbeLimits(double bandHiHz, const std::array<double, 3>& spacings, double soundSpeed,
                                 double windowEnbw, int lineBin);

// The one sentence per finding, in the program's language (Russian, UTF-8) and in English for
// the batch tool. Empty when nothing was found.
std::string ProbeLimitTextRu(const ProbeLimitCheck& check);
std::string ProbeLimitTextEn(const ProbeLimitCheck& check);
