// Averaged (Welch) auto- and cross-spectral densities of the three microphone pairs of a
// steady, random signal, for recordings of any length in constant memory.
//
// The six channels are cut into segments of N samples that start every hop = N - round(
// overlap N) samples, each segment is weighted by a window of the processing window's list
// (Windows.h, ApplyWindowListItem numbering; 2 "Ханннинга" by default), transformed, and
// the products of each pair (p = channel 2a on the + side of axis a, q = 2a + 1) are summed
// over the segments. finish() turns the sums into one-sided densities in Pa^2/Hz, with the
// window's energy taken out so that G_pp integrates over frequency to the mean square of
// channel p (Welch, IEEE Trans. Audio Electroacoust. AU-15 (1967) 70-73):
//     G_pq(f_i) = 2 / (fs U K) sum_segments X_p[i] conj X_q[i],   U = sum_n w[n]^2,
// the factor 2 being 1 at bin 0 and bin N/2. Only the last N samples of each channel are
// kept between calls (the unfinished segment), never the recording.
#pragma once

#include "AnalysisStatus.h"
#include "Intensity.h"
#include "RealDft.h"
#include "Windows.h"

#include <array>
#include <cstddef>
#include <vector>

// Refusals of the setup: a segment shorter than 4 samples, a rate that is not positive, an
// overlap outside 0 <= overlap < 1, or a pressure factor that is not finite.
constexpr AnalysisStatus kAveragedBadSetup = -20040;
// No whole segment was fed before finish().
constexpr AnalysisStatus kAveragedNoSegment = -20041;
// The transform's plan or the work arrays could not be made.
constexpr AnalysisStatus kAveragedNoMemory = -20001;

// Window list item 2: the Hanning window.
constexpr int kAveragedDefaultWindowItem = 2;

struct AveragedSpectraSetup {
    int segmentLength = 4096;   // N, samples
    double overlap = 0.5;       // fraction of a segment shared with the next
    int windowItem = kAveragedDefaultWindowItem;
    double sampleRate = 0.0;                                             // fs, Hz
    std::array<double, 6> pascalPerUnit{1.0, 1.0, 1.0, 1.0, 1.0, 1.0};   // per channel
};

// The smallest power of two N (at least 4) with sampleRate / N <= resolutionHz, capped at
// 2^24; 0 when either argument is not a positive number.
int SegmentLengthForResolution(double sampleRate, double resolutionHz);
// The power of two that puts at least `lines` lines in the band lowerHz <= f < upperHz (a
// half-open band of width W holds at least floor(W / df) lines, so df <= W / lines); 0 for
// an empty band or lines < 1.
int SegmentLengthForBand(double sampleRate, double lowerHz, double upperHz, int lines);

class AveragedSpectra {
public:
    explicit AveragedSpectra(const AveragedSpectraSetup& setup);
    ~AveragedSpectra();
    AveragedSpectra(const AveragedSpectra&) = delete;
    AveragedSpectra& operator=(const AveragedSpectra&) = delete;
    AveragedSpectra(AveragedSpectra&& other) noexcept;
    AveragedSpectra& operator=(AveragedSpectra&& other) noexcept;

    // kAnalysisOk, kAveragedBadSetup or kAveragedNoMemory from the constructor; a refused
    // engine takes no samples.
    AnalysisStatus status() const { return status_; }

    // Takes `count` samples of each of the six channels (in the units the factors convert),
    // in blocks of any size: the segments and their sums do not depend on how the stream is
    // cut. count <= 0 does nothing.
    void feed(const double* const channels[6], long long count);
    // The densities of the segments fed so far (feeding may go on and finish be called again).
    // kAveragedNoSegment before the first whole segment (the densities are then 0).
    AnalysisStatus finish();
    // Forgets every sample and sum; the setup stays.
    void reset();

    const AveragedSpectraSetup& setup() const { return setup_; }
    int segmentLength() const { return n_; }
    int hop() const { return hop_; }
    // Lines 0 ... N/2 with f_i = i fs / N.
    int lines() const { return n_ / 2 + 1; }
    double lineSpacing() const { return setup_.sampleRate / n_; }
    double frequency(int line) const { return line * lineSpacing(); }
    long long segments() const { return segments_; }
    long long samplesFed() const { return fed_; }
    // The window's constants: ENBW in bins and coherent gain.
    WindowConstants windowConstants() const { return windowConstants_; }

    // After finish(): the densities of pair `axis` (0 x, 1 y, 2 z), lines() values each,
    // Pa^2/Hz. crossReal + i crossImag = G_pq, the co- and quad-spectra being C = Re G_pq
    // and Q = -Im G_pq in Bendat and Piersol's G_pq = C - iQ.
    const double* autoP(int axis) const { return density_[4 * axis + 0].data(); }
    const double* autoQ(int axis) const { return density_[4 * axis + 1].data(); }
    const double* crossReal(int axis) const { return density_[4 * axis + 2].data(); }
    const double* crossImag(int axis) const { return density_[4 * axis + 3].data(); }

    // Welch's effective number of independent averages of one line's density: the K
    // segments' variance K / (1 + 2 sum_{j=1}^{K-1} (1 - j/K) rho(j)) with rho(j) the squared
    // normalised overlap correlation of the window at lag j hop (Welch 1967, eq. for the
    // variance of the modified periodogram average; Bendat and Piersol, Random Data, on
    // overlapped segments). Hanning at 50 % overlap: K / 1.056 for large K.
    double effectiveAverages() const;
    // The same for the sum of lines first ... end - 1, whose neighbours are correlated
    // through the window's spectrum as overlapping segments are through time; see the .cpp.
    double effectiveAverages(int firstLine, int endLine) const;

    // Parallel use: the stretch begin ... end - 1 of a recording of `total` samples to feed
    // the engine of part `part` (0 ... parts - 1) so that the parts hold between them
    // exactly the segments one engine would (neighbouring parts share N - hop samples); an
    // empty stretch (begin == end) for a part with no segment. merge() then adds another
    // part's sums to this one's, giving one engine's densities and averages (to rounding).
    struct Stretch {
        long long begin = 0;
        long long end = 0;
    };
    Stretch partOf(long long total, int parts, int part) const;
    // kAveragedBadSetup when the other engine was made with another setup (nothing added).
    AnalysisStatus merge(const AveragedSpectra& other);

    // Memory the engine holds, bytes: fixed by the setup, whatever has been fed.
    size_t memoryBytes() const;

private:
    void processSegment();
    void release();

    AveragedSpectraSetup setup_;
    AnalysisStatus status_ = kAnalysisOk;
    int n_ = 0;
    int hop_ = 0;
    WindowConstants windowConstants_;
    double windowEnergy_ = 0.0;   // U
    RealDftPlan plan_{0};
    std::vector<double> window_;   // w[n] / CG, n = 0 ... N-1
    std::vector<double> ring_;     // 6 N: the last N samples of each channel
    int ringPos_ = 0;              // where the next sample goes
    long long untilSegment_ = 0;   // samples still to come before the next segment ends
    double* work_ = nullptr;       // windowed segment, N doubles (aligned)
    double* bins_ = nullptr;       // six half spectra, 2 (N/2 + 1) doubles each (aligned)
    size_t binStride_ = 0;
    std::array<std::vector<double>, 12> sums_;      // per axis: |X_p|^2, |X_q|^2, Re, Im X_p X_q*
    std::array<std::vector<double>, 12> density_;   // the same as densities
    // rho(j, m) for lags j = 0 ... lagCount-1 (in hops) and line offsets m = 0 ... kLineLags.
    std::vector<double> correlation_;
    int lagCount_ = 0;
    long long segments_ = 0;
    long long fed_ = 0;
};

// The per-line densities of the active and reactive intensity and the kinetic and potential
// energy densities, in the finite-difference form of ComputeIntensitySpectra translated
// from peak amplitudes (|P|^2 = 2 G df) to one-sided densities, so that a plane wave gives
// the same I with either signal type:
//     I = -Im G_pq / (2 pi f rho dr)                      W/m^2/Hz
//     J = (G_qq - G_pp) / (4 pi f rho dr)
//     K = (G_pp + G_qq - 2 Re G_pq) / (8 pi^2 f^2 rho dr^2)   J/m^3/Hz
//     П = (G_pp + G_qq + 2 Re G_pq) / (8 rho c^2)
// for lines i = 0 ... count - 1 (count <= lines()); line 0 (f = 0) is set to 0. Uses
// constants.density, soundSpeed and spacings only (the engine has already converted to Pa).
void RandomIntensitySpectra(const AveragedSpectra& spectra, const IntensityConstants& constants, int count,
                            double* const I[3], double* const J[3], double* const K[3], double* const P[3]);

// M engines of one setup over M consecutive slices of a recording of known length T: sample
// i goes to slice floor(i M / T), and samples beyond T to none, so the short-time averages of a
// stationarity check come from one pass, each in constant memory.
class SlicedSpectra {
public:
    SlicedSpectra(const AveragedSpectraSetup& setup, long long totalSamples, int slices = 10);
    AnalysisStatus status() const;
    void feed(const double* const channels[6], long long count);
    // finish() of every slice; the first refusal, or kAnalysisOk.
    AnalysisStatus finish();
    int count() const { return static_cast<int>(slices_.size()); }
    const AveragedSpectra& slice(int k) const { return slices_[static_cast<size_t>(k)]; }

private:
    std::vector<AveragedSpectra> slices_;
    long long total_ = 0;
    long long position_ = 0;
};
