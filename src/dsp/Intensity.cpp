// Intensity spectra of the three microphone pairs and their band values.
#include "Intensity.h"

#include "FrequencyAxis.h"

#include "LargeBuffer.h"

#include "PeakDetector.h"
#include "RealDft.h"
#include "Settings.h"
#include "SignalUtils.h"
#include "Windows.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// Values of the setting `impuls`.
constexpr int32_t kImpulsPeriodic = 1;

constexpr double kFourPi = 12.566370614359172;
constexpr double kEightPi = 25.132741228718345;
// 16 pi^2 and 16 (not 8 pi^2 and 32): with peak amplitudes these give the time-averaged
// kinetic and potential energy densities, equal to each other in a plane wave.
constexpr double kSixteenPiSquared = 157.91367041742973;
constexpr double kPotentialDenominator = 16.0;

constexpr int kDetectorAttempts = 10;
// From this length on, the axes are computed on separate threads: below it, starting a
// thread costs more than an axis.
constexpr size_t kParallelAxesSamples = size_t{1} << 15;

// Work arrays kept between calls: the pair spectra and weighted samples of the three axes are
// 72 MB for a 10 s recording at 100 kHz, and arrays taken fresh from the system each time
// cost the kernel more to clear than the loop that fills them. A few are kept for the next
// call, up to a bound, and the rest given back.
class WorkShelf {
public:
    static WorkShelf& instance()
    {
        static WorkShelf shelf;
        return shelf;
    }

    std::unique_ptr<LargeBlock> take(size_t bytes)
    {
        std::unique_ptr<LargeBlock> block;
        {
            std::lock_guard<std::mutex> guard(lock_);
            for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
                if ((*it)->size() >= bytes) {
                    block = std::move(*it);
                    blocks_.erase(it);
                    kept_ -= block->size();
                    break;
                }
            }
        }
        if (!block)
            block = std::make_unique<LargeBlock>();
        if (block->reserve(bytes) == nullptr)
            return nullptr;
        return block;
    }

    void give(std::unique_ptr<LargeBlock> block)
    {
        if (!block)
            return;
        std::lock_guard<std::mutex> guard(lock_);
        if (kept_ + block->size() <= kKeptBytes) {
            kept_ += block->size();
            blocks_.push_back(std::move(block));
        }
    }

private:
    static constexpr size_t kKeptBytes = size_t{80} << 20;
    std::mutex lock_;
    std::vector<std::unique_ptr<LargeBlock>> blocks_;
    size_t kept_ = 0;
};

// A work array of at least `bytes` from the shelf, put back when it goes; none for 0 bytes.
class ShelvedBlock {
public:
    explicit ShelvedBlock(size_t bytes)
    {
        if (bytes > 0) {
            try {
                block_ = WorkShelf::instance().take(bytes);
            } catch (const std::bad_alloc&) {
                block_.reset();
            }
        }
    }
    ShelvedBlock(const ShelvedBlock&) = delete;
    ShelvedBlock& operator=(const ShelvedBlock&) = delete;
    ~ShelvedBlock() { WorkShelf::instance().give(std::move(block_)); }

    explicit operator bool() const { return block_ != nullptr; }
    double* data() const { return static_cast<double*>(block_->data()); }

private:
    std::unique_ptr<LargeBlock> block_;
};

void ZeroResults(size_t bins, double* const I[3], double* const J[3], double* const K[3], double* const P[3])
{
    for (int a = 0; a < 3; ++a) {
        std::fill(I[a], I[a] + bins, 0.0);
        std::fill(J[a], J[a] + bins, 0.0);
        std::fill(K[a], K[a] + bins, 0.0);
        std::fill(P[a], P[a] + bins, 0.0);
    }
}

// Why a band request is refused, or 0 when bins first ... end - 1 all lie in the spectrum.
AnalysisStatus CheckBand(int first, int end, int bins)
{
    if (end <= first) {
        return kBandEmpty;
    }
    if (first < 0 || end > bins) {
        return kBandOutsideSpectrum;
    }
    return kAnalysisOk;
}

// Bins read on each side of a band by SumBandHarmonics: one for the window centred on the
// edge bin, one more for the window centred on the neighbour, whose fit and merge decide
// whether a line between the two bins belongs to this band or the next.
constexpr int kHarmonicContextBins = 2;

// |spectrum[i]| for a bin i that may lie up to kHarmonicContextBins outside the spectrum.
// Outside, the magnitude is mirrored about the end bin: below bin 0 this is exact (the
// magnitude spectrum of a real signal is even), and at either end it lets a line in the end
// bin count with its own height. What the mirror cannot reach (a spectrum of one or two
// bins) is 0.
double ContextMagnitude(const double* spectrum, int bins, int i)
{
    const int mirrored = i < 0 ? -i : (i >= bins ? 2 * (bins - 1) - i : i);
    return mirrored >= 0 && mirrored < bins ? std::fabs(spectrum[mirrored]) : 0.0;
}

}   // namespace

IntensityConstants IntensityConstantsFrom(const Settings& settings,
                                          const std::array<double, 6>& pascalPerUnit)
{
    IntensityConstants constants;
    constants.density = settings.plotnost;
    constants.soundSpeed = settings.skorost;
    constants.spacings = {settings.lmic[0], settings.lmic[1], settings.lmic[2]};
    constants.pascalPerUnit = pascalPerUnit[0];
    for (const double factor : pascalPerUnit)
        if (factor != pascalPerUnit[0]) {
            constants.channelPascalPerUnit = pascalPerUnit;
            break;
        }
    constants.periodic = settings.impuls == kImpulsPeriodic;
    return constants;
}

AnalysisStatus ComputeIntensitySpectra(const IntensityConstants& constants, int windowItem, int N,
                                       const double* const channels[6], const double* t, double* const I[3],
                                       double* const J[3], double* const K[3], double* const P[3])
{
    if (N < 4) {
        // Bin 0 borrows from bin 1, which does not exist below four samples.
        ZeroResults(N > 0 ? static_cast<size_t>(N) / 2 : 0, I, J, K, P);
        return kIntensityTooFewSamples;
    }
    const bool periodic = constants.periodic;
    // With a factor per channel, each enters through its transform (below) and g is 1.
    const double g = constants.channelPascalPerUnit ? 1.0 : constants.pascalPerUnit;
    const double rho = constants.density;
    const double c = constants.soundSpeed;
    const double duration = t[N - 1];
    const double df = SpectrumBinWidth(t, N);
    const double S = periodic ? 1.0 : duration;
    const double amplitudeFactor = 2.0 * S / static_cast<double>(N);

    const size_t n = static_cast<size_t>(N);
    const size_t bins = n / 2;
    const bool weighted = periodic && windowItem != kWindowItemNone;
    // Every result is quadratic in the amplitudes P_k = g * amplitudeFactor * X_k (g the
    // pascals per sample unit), so the factors' square goes into the constants and the loop
    // works on the transforms as they are; the frequency f_i = i df enters as its
    // reciprocal, one division per bin.
    const double power = (g * amplitudeFactor) * (g * amplitudeFactor);

    // The window's weights are the same for the six channels: made once, applied to each.
    WindowWeights windowWeights;
    if (weighted) {
        try {
            MakeWindowWeights(N, windowItem, windowWeights);
        } catch (const std::bad_alloc&) {
            ZeroResults(bins, I, J, K, P);
            return kIntensityNoMemory;
        }
    }

    // The six half spectra, each transformed by whichever thread takes it, then read pair by
    // pair, bin by bin. The work is spread over the cores in pieces that do not depend on how
    // many there are, so the results are the same bit for bit on any machine.
    std::array<ShelvedBlock, 6> spectra{
        ShelvedBlock((bins + 1) * 2 * sizeof(double)), ShelvedBlock((bins + 1) * 2 * sizeof(double)),
        ShelvedBlock((bins + 1) * 2 * sizeof(double)), ShelvedBlock((bins + 1) * 2 * sizeof(double)),
        ShelvedBlock((bins + 1) * 2 * sizeof(double)), ShelvedBlock((bins + 1) * 2 * sizeof(double))};
    std::array<bool, 6> transformed{};
    std::atomic<int> nextChannel{0};
    const auto transformChannels = [&] {
        ShelvedBlock work(weighted ? n * sizeof(double) : 0);
        for (int k = nextChannel++; k < 6; k = nextChannel++) {
            const ShelvedBlock& out = spectra[static_cast<size_t>(k)];
            if (!out || (weighted && !work))
                continue;
            const double* x = channels[k];
            if (weighted) {
                ApplyWindowWeights(windowWeights, x, work.data());
                x = work.data();
            }
            transformed[static_cast<size_t>(k)] = RealDftInto(x, N, out.data()) == kAnalysisOk;
        }
    };

    // A piece of one axis: bins [first, end) from its pair of channels.
    constexpr int kPiecesPerAxis = 4;
    std::atomic<int> nextPiece{0};
    const auto computePieces = [&] {
        for (int piece = nextPiece++; piece < 3 * kPiecesPerAxis; piece = nextPiece++) {
            const int a = piece / kPiecesPerAxis;
            const size_t part = static_cast<size_t>(piece % kPiecesPerAxis);
            // Bin 0 (f = 0) is skipped and takes the values of bin 1 afterwards.
            const size_t first = std::max<size_t>(1, bins * part / kPiecesPerAxis);
            const size_t end = bins * (part + 1) / kPiecesPerAxis;
            const double* const p = spectra[static_cast<size_t>(2 * a)].data();
            const double* const q = spectra[static_cast<size_t>(2 * a + 1)].data();
            double* const Ia = I[a];
            double* const Ja = J[a];
            double* const Ka = K[a];
            double* const Pa = P[a];
            // A channel's own factor multiplies its transform; with one factor for all, g
            // carries it and the transforms are left as they are.
            const bool ownFactors = constants.channelPascalPerUnit.has_value();
            const double ratioP = ownFactors ? constants.pascalPerUnitOf(2 * a) : 1.0;
            const double ratioQ = ownFactors ? constants.pascalPerUnitOf(2 * a + 1) : 1.0;
            const double dr = constants.spacings[a];
            const double activeScale = -power / (kFourPi * df * rho * dr);
            const double reactiveScale = power / (kEightPi * df * rho * dr);
            const double kineticScale = power / (kSixteenPiSquared * df * df * rho * dr * dr);
            const double potentialScale = power / (kPotentialDenominator * rho * c * c);
            const auto body = [&](auto scaled) {
                for (size_t i = first; i < end; ++i) {
                    const double rp = scaled(p[2 * i], ratioP);
                    const double qp = scaled(p[2 * i + 1], ratioP);
                    const double rq = scaled(q[2 * i], ratioQ);
                    const double qq = scaled(q[2 * i + 1], ratioQ);
                    const double wp = rp * rp + qp * qp;
                    const double wq = rq * rq + qq * qq;
                    const double cross = qp * rq - rp * qq;   // Im(P_p conj P_q)
                    // |P_p -+ P_q|^2 from the differences and sums themselves, not W_p + W_q -+
                    // 2D: at low frequencies the pair's spectra nearly coincide and that form
                    // cancels.
                    const double dRe = rp - rq;
                    const double dIm = qp - qq;
                    const double sRe = rp + rq;
                    const double sIm = qp + qq;
                    const double inverseI = 1.0 / static_cast<double>(i);
                    Ia[i] = cross * activeScale * inverseI;
                    Ja[i] = (wq - wp) * reactiveScale * inverseI;
                    Ka[i] = (dRe * dRe + dIm * dIm) * kineticScale * (inverseI * inverseI);
                    Pa[i] = (sRe * sRe + sIm * sIm) * potentialScale;
                }
            };
            if (ownFactors)
                body([](double v, double ratio) { return v * ratio; });
            else
                body([](double v, double) { return v; });
        }
    };

    // Long recordings take further cores; below the bound starting a thread costs more than
    // it saves.
    const auto spread = [&](const auto& job) {
        std::vector<std::thread> helpers;
        const unsigned cores = std::thread::hardware_concurrency();
        if (n >= kParallelAxesSamples && cores > 1) {
            for (unsigned t = 1; t < std::min(cores, 3u); ++t) {
                try {
                    helpers.emplace_back(job);
                } catch (const std::system_error&) {
                    break;   // no thread to be had: the rest is done here
                }
            }
        }
        job();
        for (std::thread& helper : helpers)
            helper.join();
    };
    spread(transformChannels);
    if (std::find(transformed.begin(), transformed.end(), false) != transformed.end()) {
        ZeroResults(bins, I, J, K, P);
        return kIntensityNoMemory;
    }
    spread(computePieces);
    for (int a = 0; a < 3; ++a) {
        I[a][0] = I[a][1];
        J[a][0] = J[a][1];
        K[a][0] = K[a][1];
        P[a][0] = P[a][1];
    }
    return kAnalysisOk;
}

AnalysisStatus IntegrateBand(int first, int end, int bins, double df, const double* const I[3],
                             const double* const J[3], const double* const K[3], const double* const P[3],
                             std::array<double, 3>& bandI, std::array<double, 3>& bandJ,
                             std::array<double, 3>& bandK, std::array<double, 3>& bandP, double& maxI,
                             double& maxJ)
{
    bandI = bandJ = bandK = bandP = {0.0, 0.0, 0.0};
    maxI = 0.0;
    maxJ = 0.0;
    AnalysisStatus status = CheckBand(first, end, bins);
    if (status == kAnalysisOk && !(df > 0.0)) {
        status = kBandBadBinWidth;
    }
    if (status != kAnalysisOk) {
        return status;
    }

    const int len = end - first;
    std::vector<double> work;
    try {
        work.resize(static_cast<size_t>(len));
    } catch (const std::bad_alloc&) {
        return kIntensityNoMemory;
    }
    auto integrate = [&](const double* spectrum) {
        std::copy(spectrum + first, spectrum + end, work.begin());
        IntegrateSeries(work.data(), len, df, 0.0, 0.0, work.data());
        return work[static_cast<size_t>(len) - 1];
    };
    for (int a = 0; a < 3; ++a) {
        bandI[a] = integrate(I[a]);
        bandJ[a] = integrate(J[a]);
        bandK[a] = integrate(K[a]);
        bandP[a] = integrate(P[a]);
    }
    for (int a = 0; a < 3; ++a) {
        maxI = std::max(maxI, std::fabs(bandI[a]));
        maxJ = std::max(maxJ, std::fabs(bandJ[a]));
    }
    maxI = maxI * 3.0 * 0.5;
    maxJ = maxJ * 3.0 * 0.5;
    return kAnalysisOk;
}

AnalysisStatus SumBandHarmonics(int first, int end, int bins, const double* spectrum,
                                const double* /*frequencies*/, double& bandValue)
{
    bandValue = 0.0;
    const AnalysisStatus bandStatus = CheckBand(first, end, bins);
    if (bandStatus != kAnalysisOk) {
        return bandStatus;
    }
    const int len = end - first;
    // The band with kHarmonicContextBins of its neighbours on each side: the detector then
    // fits a window centred on every bin of the band, the edge bins included, and sees the
    // neighbouring windows too, so it finds and merges lines near an edge as it would in a
    // wider band.
    const int extended = len + 2 * kHarmonicContextBins;
    const int origin = first - kHarmonicContextBins;   // spectrum bin of extended[0]
    // Kept by the thread: the twelve spectra of a band come in a row, and a fresh array for
    // each would cost more in page faults than the search itself.
    thread_local std::vector<double> magnitude;
    try {
        if (magnitude.capacity() < static_cast<size_t>(extended)) {
            AssignLarge(magnitude, static_cast<size_t>(extended));
        } else {
            magnitude.resize(static_cast<size_t>(extended));
        }
    } catch (const std::bad_alloc&) {
        std::vector<double>().swap(magnitude);
        return kIntensityNoMemory;
    }
    // The detector finds maxima only: a negative line would show up as two false peaks of
    // an eighth of its height on either side. So lines are found on the magnitude and take
    // their sign back from the spectrum.
    for (int j = 0; j < extended; ++j) {
        magnitude[static_cast<size_t>(j)] = ContextMagnitude(spectrum, bins, origin + j);
    }
    double smallest = 0.0;
    double largest = 0.0;
    FindMinMax(len, magnitude.data() + kHarmonicContextBins, smallest, largest);
    if (largest == 0.0) {
        return kAnalysisOk;
    }
    // Relative only: an absolute floor would silently zero every line of a quiet measurement.
    const double threshold = 0.01 * largest;

    PeakList peaks;
    int status = kAnalysisOk;
    for (int attempt = 0; attempt < kDetectorAttempts; ++attempt) {
        status = DetectPeaks(magnitude.data(), extended, threshold, 3, kPeaks, true, peaks);
        if (status == kAnalysisOk) {
            break;
        }
    }
    if (status != kAnalysisOk) {
        return status;
    }

    // A line belongs to the band that holds the bin nearest its peak; lines the context
    // windows found outside the band are left to the neighbouring band.
    double sum = 0.0;
    for (int p = 0; p < peaks.count; ++p) {
        const long bin = origin + std::lround(peaks.locations[p]);
        if (bin < first || bin >= end) {
            continue;
        }
        const double height = peaks.amplitudes[p];
        sum += spectrum[bin] < 0.0 ? -height : height;
    }
    ReleasePeakList(peaks);
    bandValue = sum;
    return kAnalysisOk;
}
