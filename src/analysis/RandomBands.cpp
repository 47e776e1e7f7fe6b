#include "RandomBands.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct PairSums {
    double pp = 0.0;
    double qq = 0.0;
    double co = 0.0;     // C = Re G_pq
    double quad = 0.0;   // Q = -Im G_pq
};

// The band's sums of one pair, each line weighted by 1/f as the band's I weights its
// quad-spectrum, so that Q is the band I up to a constant.
PairSums pairSums(const AveragedSpectra& spectra, int axis, int first, int end)
{
    PairSums s;
    const double* gpp = spectra.autoP(axis);
    const double* gqq = spectra.autoQ(axis);
    const double* re = spectra.crossReal(axis);
    const double* im = spectra.crossImag(axis);
    for (int i = std::max(first, 1); i < end; ++i) {
        const double w = 1.0 / spectra.frequency(i);
        s.pp += w * gpp[i];
        s.qq += w * gqq[i];
        s.co += w * re[i];
        s.quad -= w * im[i];
    }
    return s;
}

// The coherence gamma_i^2 = |G_pq|^2 / (G_pp G_qq) of each line (Bendat and Piersol, Random
// Data, the ordinary coherence function), averaged over the band with each line weighted by
// its power sqrt(G_pp G_qq). Line by line, so that one wave gives 1 however far its phase
// turns across the band (a quotient of band sums would fall to 0.9 in the 10 kHz band of a
// 25 mm pair); weighted, so that lines with little power move the figure little.
double bandCoherence(const AveragedSpectra& spectra, int axis, int first, int end)
{
    const double* gpp = spectra.autoP(axis);
    const double* gqq = spectra.autoQ(axis);
    const double* re = spectra.crossReal(axis);
    const double* im = spectra.crossImag(axis);
    double weighted = 0.0;
    double power = 0.0;
    for (int i = std::max(first, 1); i < end; ++i) {
        const double p = std::sqrt(gpp[i] * gqq[i]);
        if (!(p > 0.0))
            continue;
        weighted += (re[i] * re[i] + im[i] * im[i]) / p;
        power += p;
    }
    return power > 0.0 ? weighted / power : 0.0;
}

}   // namespace

IntensitySpectra RandomDensitySpectra(const AveragedSpectra& spectra, const BandAnalysisOptions& options)
{
    IntensitySpectra out;
    if (spectra.status() != kAnalysisOk || spectra.segments() == 0)
        return out;
    const int bins = spectra.segmentLength() / 2;
    for (auto& v : out.values)
        v.assign(static_cast<size_t>(bins), 0.0);
    out.frequency.resize(static_cast<size_t>(bins));
    for (int i = 0; i < bins; ++i)
        out.frequency[static_cast<size_t>(i)] = spectra.frequency(i);
    IntensityConstants constants;
    constants.density = options.density;
    constants.soundSpeed = options.soundSpeed;
    constants.spacings = options.spacings;
    double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = out.values[static_cast<size_t>(3 * g + a)].data();
    RandomIntensitySpectra(spectra, constants, bins, groups[0], groups[1], groups[2], groups[3]);
    return out;
}

RandomBandAnalysis AnalyseRandomBands(const AveragedSpectra& spectra, const BandAnalysisOptions& options)
{
    RandomBandAnalysis out;
    out.spectra = RandomDensitySpectra(spectra, options);
    if (out.spectra.bins() < 2)
        return out;
    out.segments = spectra.segments();
    out.effectiveAverages = spectra.effectiveAverages();
    BandAnalysisOptions densities = options;
    densities.periodic = false;
    out.bands = AnalyseOctaveBands(out.spectra.view(), densities);
    out.confidence.reserve(out.bands.bands.size());
    for (const OctaveBand& band : out.bands.bands) {
        RandomBandConfidence c;
        c.averages = spectra.effectiveAverages(band.firstBin, band.endBin);
        for (int a = 0; a < 3; ++a) {
            c.coherence[a] = bandCoherence(spectra, a, band.firstBin, band.endBin);
            const PairSums s = pairSums(spectra, a, band.firstBin, band.endBin);
            const double power = s.pp * s.qq;
            // Bendat and Piersol, Random Data (Wiley), chapter 9, the normalised random errors
            // of cross-spectral estimates: for the quad-spectrum
            //     eps[Q] = sqrt((G_pp G_qq + Q^2 - C^2) / (2 n_d Q^2)),
            // which for a single plane wave (G_pp G_qq = C^2 + Q^2) is 1 / sqrt(n_d). Band I
            // is Q of the 1/f-weighted sums times a constant, so it has the same error.
            const double numerator = power + s.quad * s.quad - s.co * s.co;
            const double denominator = 2.0 * c.averages * s.quad * s.quad;
            c.randomError[a] = denominator > 0.0 ? std::sqrt(std::max(numerator, 0.0) / denominator)
                                                 : std::numeric_limits<double>::infinity();
        }
        out.confidence.push_back(c);
    }
    return out;
}

int SegmentLengthForLowestBand(double sampleRate, int fraction, double nominalHz, int lines)
{
    if (!(nominalHz > 0.0) || (fraction != 1 && fraction != 3))
        return 0;
    const double bandsPerDecade = 10.0 * fraction / 3.0;
    const int index = static_cast<int>(std::lround(bandsPerDecade * std::log10(nominalHz / 1000.0)));
    // The nominal names are rounded (31.5 for 31.62): the nearest band must carry the name.
    if (std::fabs(NominalMidFrequency(fraction, index) - nominalHz) > 0.01 * nominalHz)
        return 0;
    const BandEdges edges = FractionalOctaveBand(fraction, index);
    return SegmentLengthForBand(sampleRate, edges.lowerHz, edges.upperHz, lines);
}

std::vector<BandVariability> AnalyseTemporalVariability(const SlicedSpectra& slices,
                                                        const BandAnalysisOptions& options)
{
    std::vector<BandVariability> out;
    const int M = slices.count();
    if (M < 2)
        return out;
    std::vector<BandAnalysis> analyses;
    analyses.reserve(static_cast<size_t>(M));
    for (int k = 0; k < M; ++k) {
        RandomBandAnalysis r = AnalyseRandomBands(slices.slice(k), options);
        if (r.bands.bands.empty())
            return {};
        analyses.push_back(std::move(r.bands));
    }
    const auto& bands = analyses.front().bands;
    for (size_t b = 0; b < bands.size(); ++b) {
        BandVariability v;
        v.index = bands[b].index;
        v.nominalHz = bands[b].nominalHz;
        v.label = bands[b].label;
        for (int a = 0; a < 3; ++a) {
            double mean = 0.0;
            for (const auto& analysis : analyses)
                mean += analysis.bands[b].figures.values.active[static_cast<size_t>(a)];
            mean /= M;
            double squares = 0.0;
            for (const auto& analysis : analyses) {
                const double d = analysis.bands[b].figures.values.active[static_cast<size_t>(a)] - mean;
                squares += d * d;
            }
            const double spread = std::sqrt(squares / (M - 1));
            v.meanActive[static_cast<size_t>(a)] = mean;
            v.f1[static_cast<size_t>(a)] =
                mean != 0.0 ? spread / std::fabs(mean) : std::numeric_limits<double>::infinity();
        }
        out.push_back(std::move(v));
    }
    return out;
}
