// Bands of a steady random signal from its averaged spectra (AveragedSpectra): the same band
// figures as the other signal types give (OctaveBands.h, the densities integrated over the
// band's lines), with what tells how far they can be trusted: each pair's coherence, the
// normalised random error of each axis's active intensity, and the temporal variability
// indicator F1 over short-time averages.
#pragma once

#include "AveragedSpectra.h"
#include "BandReduction.h"
#include "OctaveBands.h"

#include <array>
#include <string>
#include <vector>

struct RandomBandConfidence {
    // Each pair's coherence: gamma^2 = |G_pq|^2 / (G_pp G_qq) of each line, averaged over
    // the band's lines weighted by sqrt(G_pp G_qq). A line's estimate is biased upwards by
    // about (1 - gamma^2)^2 / n_eff (Bendat and Piersol), so short records overstate it.
    std::array<double, 3> coherence{};
    // The normalised random error of the band's I of each axis (see the .cpp); infinite
    // where the band's quad-spectrum is 0.
    std::array<double, 3> randomError{};
    double averages = 0.0;   // n_d, the band's effective number of independent averages
};

struct RandomBandAnalysis {
    BandAnalysis bands;                             // as AnalyseOctaveBands of the densities
    std::vector<RandomBandConfidence> confidence;   // one per entry of bands.bands
    IntensitySpectra spectra;                       // the per-line densities, lines 0 ... N/2 - 1
    long long segments = 0;
    double effectiveAverages = 0.0;   // of one line (Welch)
};

// The per-line densities (RandomIntensitySpectra) as the band routines read them: groups
// I, J, K, П of the x, y, z axes, lines 0 ... N/2 - 1. Uses options.density, soundSpeed and
// spacings.
IntensitySpectra RandomDensitySpectra(const AveragedSpectra& spectra, const BandAnalysisOptions& options);

// The bands of options (fraction, range, finite-difference correction, residual index; the
// signal type is taken as densities whatever options.periodic says) with their confidence.
// Empty unless spectra.finish() has given densities.
RandomBandAnalysis AnalyseRandomBands(const AveragedSpectra& spectra, const BandAnalysisOptions& options);

// The power-of-two segment length that puts at least `lines` lines into the band of
// 1/fraction octave whose nominal mid frequency is nominalHz (31.5, 50, 100, ...); 0 when no
// band goes by that name.
int SegmentLengthForLowestBand(double sampleRate, int fraction, double nominalHz, int lines = 4);

// ISO 9614-1:1993 (sound power by intensity at discrete points), the field indicator F1: the
// temporal variability of a band's normal intensity over M short-time averages,
// F1 = (1 / |mean|) sqrt(sum (I_k - mean)^2 / (M - 1)), and its criterion F1 <= 0.6.
constexpr double kTemporalVariabilityLimit = 0.6;

struct BandVariability {
    int index = 0;   // band number as in OctaveBand::index
    double nominalHz = 0.0;
    std::string label;
    std::array<double, 3> meanActive{};   // mean over the slices of each axis's band I, W/m^2
    std::array<double, 3> f1{};           // F1 of each axis (infinite where the mean is 0)
    bool steady(int axis) const { return f1[static_cast<size_t>(axis)] <= kTemporalVariabilityLimit; }
};

// F1 per band and axis over the slices (at least two, each finished); the bands are those of
// AnalyseRandomBands on the first slice. Empty when fewer than two slices have densities.
std::vector<BandVariability> AnalyseTemporalVariability(const SlicedSpectra& slices,
                                                        const BandAnalysisOptions& options);
