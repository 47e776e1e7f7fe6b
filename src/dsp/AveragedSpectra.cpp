// The Welch engine: a ring of the last N samples per channel, one plan, and the sums of the
// pair products; nothing is allocated once the engine is made.
#include "AveragedSpectra.h"

#include "Windows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <numbers>
#include <utility>

namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kLargestSegment = 1 << 24;
// Line offsets whose correlation effectiveAverages(first, end) takes into account: the
// windows of the list correlate neighbours a few lines apart at most (the Hanning window's
// reach is two lines), and the overlap products' spectra fall off as fast.
constexpr int kLineLags = 32;

int PowerOfTwoAtLeast(double samples)
{
    int n = 4;
    while (n < kLargestSegment && n < samples)
        n *= 2;
    return n;
}

}   // namespace

int SegmentLengthForResolution(double sampleRate, double resolutionHz)
{
    if (!(sampleRate > 0.0) || !(resolutionHz > 0.0) || !std::isfinite(sampleRate))
        return 0;
    return PowerOfTwoAtLeast(sampleRate / resolutionHz);
}

int SegmentLengthForBand(double sampleRate, double lowerHz, double upperHz, int lines)
{
    if (lines < 1 || !(upperHz > lowerHz))
        return 0;
    return SegmentLengthForResolution(sampleRate, (upperHz - lowerHz) / lines);
}

AveragedSpectra::AveragedSpectra(const AveragedSpectraSetup& setup) : setup_(setup)
{
    const bool factorsFinite = std::all_of(setup.pascalPerUnit.begin(), setup.pascalPerUnit.end(),
                                           [](double f) { return std::isfinite(f); });
    if (setup.segmentLength < 4 || setup.segmentLength > kLargestSegment || !(setup.sampleRate > 0.0) ||
        !std::isfinite(setup.sampleRate) || !(setup.overlap >= 0.0 && setup.overlap < 1.0) ||
        !factorsFinite) {
        status_ = kAveragedBadSetup;
        return;
    }
    n_ = setup.segmentLength;
    hop_ = std::clamp(n_ - static_cast<int>(std::lround(setup.overlap * n_)), 1, n_);
    const size_t n = static_cast<size_t>(n_);
    const size_t half = n / 2 + 1;

    WindowWeights weights;
    MakeWindowWeights(n_, setup.windowItem, weights);
    windowConstants_ = weights.constants;
    window_.assign(n, 1.0);
    ApplyWindowWeights(weights, window_.data(), window_.data());
    windowEnergy_ = 0.0;
    for (double w : window_)
        windowEnergy_ += w * w;

    plan_ = RealDftPlan(n_);
    binStride_ = 2 * half;
    work_ = AllocateDftArray(n);
    bins_ = AllocateDftArray(6 * binStride_);
    if (!plan_.valid() || work_ == nullptr || bins_ == nullptr) {
        release();
        status_ = kAveragedNoMemory;
        return;
    }
    ring_.assign(6 * n, 0.0);
    for (auto& s : sums_)
        s.assign(half, 0.0);
    for (auto& d : density_)
        d.assign(half, 0.0);

    // rho(j, m) = |sum_n w[n] w[n + j hop] exp(-2 pi i m n / N)|^2 / U^2, the squared
    // normalised correlation between line i of one segment and line i + m of the segment j
    // hops later, for white Gaussian noise (Welch 1967, with the line offset added).
    lagCount_ = (n_ + hop_ - 1) / hop_;
    correlation_.assign(static_cast<size_t>(lagCount_) * (kLineLags + 1), 0.0);
    std::vector<double> product(n, 0.0);
    for (int j = 0; j < lagCount_; ++j) {
        const size_t shift = static_cast<size_t>(j) * static_cast<size_t>(hop_);
        std::fill(product.begin(), product.end(), 0.0);
        for (size_t k = 0; k + shift < n; ++k)
            product[k] = window_[k] * window_[k + shift];
        std::copy(product.begin(), product.end(), work_);
        plan_.execute(work_, bins_);
        for (int m = 0; m <= kLineLags && static_cast<size_t>(m) < half; ++m) {
            const double re = bins_[2 * m];
            const double im = bins_[2 * m + 1];
            correlation_[static_cast<size_t>(j) * (kLineLags + 1) + static_cast<size_t>(m)] =
                (re * re + im * im) / (windowEnergy_ * windowEnergy_);
        }
    }
    reset();
}

AveragedSpectra::~AveragedSpectra()
{
    release();
}

AveragedSpectra::AveragedSpectra(AveragedSpectra&& other) noexcept
{
    *this = std::move(other);
}

AveragedSpectra& AveragedSpectra::operator=(AveragedSpectra&& other) noexcept
{
    if (this != &other) {
        release();
        setup_ = other.setup_;
        status_ = other.status_;
        n_ = other.n_;
        hop_ = other.hop_;
        windowConstants_ = other.windowConstants_;
        windowEnergy_ = other.windowEnergy_;
        plan_ = std::move(other.plan_);
        window_ = std::move(other.window_);
        ring_ = std::move(other.ring_);
        ringPos_ = other.ringPos_;
        untilSegment_ = other.untilSegment_;
        work_ = std::exchange(other.work_, nullptr);
        bins_ = std::exchange(other.bins_, nullptr);
        binStride_ = other.binStride_;
        sums_ = std::move(other.sums_);
        density_ = std::move(other.density_);
        correlation_ = std::move(other.correlation_);
        lagCount_ = other.lagCount_;
        segments_ = other.segments_;
        fed_ = other.fed_;
        other.status_ = kAveragedBadSetup;
    }
    return *this;
}

void AveragedSpectra::release()
{
    FreeDftArray(work_);
    FreeDftArray(bins_);
    work_ = nullptr;
    bins_ = nullptr;
}

void AveragedSpectra::reset()
{
    if (status_ != kAnalysisOk)
        return;
    std::fill(ring_.begin(), ring_.end(), 0.0);
    for (auto& s : sums_)
        std::fill(s.begin(), s.end(), 0.0);
    for (auto& d : density_)
        std::fill(d.begin(), d.end(), 0.0);
    ringPos_ = 0;
    untilSegment_ = n_;
    segments_ = 0;
    fed_ = 0;
}

void AveragedSpectra::feed(const double* const channels[6], long long count)
{
    if (status_ != kAnalysisOk || count <= 0)
        return;
    const size_t n = static_cast<size_t>(n_);
    long long done = 0;
    while (done < count) {
        // Up to the end of the next segment, and within the ring without wrapping.
        const long long take = std::min({count - done, untilSegment_, static_cast<long long>(n_ - ringPos_)});
        for (int c = 0; c < 6; ++c)
            std::memcpy(ring_.data() + static_cast<size_t>(c) * n + static_cast<size_t>(ringPos_),
                        channels[c] + done, static_cast<size_t>(take) * sizeof(double));
        done += take;
        fed_ += take;
        ringPos_ = static_cast<int>((ringPos_ + take) % n_);
        untilSegment_ -= take;
        if (untilSegment_ == 0) {
            processSegment();
            untilSegment_ = hop_;
        }
    }
}

void AveragedSpectra::processSegment()
{
    const size_t n = static_cast<size_t>(n_);
    const size_t half = n / 2 + 1;
    // The ring holds the segment from ringPos_ (its oldest sample) round to ringPos_ - 1.
    const size_t older = n - static_cast<size_t>(ringPos_);
    const double* w = window_.data();
    for (int c = 0; c < 6; ++c) {
        const double* ring = ring_.data() + static_cast<size_t>(c) * n;
        const double* first = ring + ringPos_;
        for (size_t k = 0; k < older; ++k)
            work_[k] = first[k] * w[k];
        for (size_t k = older; k < n; ++k)
            work_[k] = ring[k - older] * w[k];
        plan_.execute(work_, bins_ + static_cast<size_t>(c) * binStride_);
    }
    for (int a = 0; a < 3; ++a) {
        const double* p = bins_ + static_cast<size_t>(2 * a) * binStride_;
        const double* q = p + binStride_;
        double* pp = sums_[4 * a + 0].data();
        double* qq = sums_[4 * a + 1].data();
        double* re = sums_[4 * a + 2].data();
        double* im = sums_[4 * a + 3].data();
        for (size_t i = 0; i < half; ++i) {
            const double pr = p[2 * i], pi = p[2 * i + 1];
            const double qr = q[2 * i], qi = q[2 * i + 1];
            pp[i] += pr * pr + pi * pi;
            qq[i] += qr * qr + qi * qi;
            // X_p conj X_q
            re[i] += pr * qr + pi * qi;
            im[i] += pi * qr - pr * qi;
        }
    }
    ++segments_;
}

AnalysisStatus AveragedSpectra::finish()
{
    if (status_ != kAnalysisOk)
        return status_;
    const size_t half = static_cast<size_t>(n_) / 2 + 1;
    if (segments_ == 0) {
        for (auto& d : density_)
            std::fill(d.begin(), d.end(), 0.0);
        return kAveragedNoSegment;
    }
    // One-sided: the negative frequencies' share doubles every line but the two real ones.
    const double base = 1.0 / (setup_.sampleRate * windowEnergy_ * static_cast<double>(segments_));
    for (int a = 0; a < 3; ++a) {
        const double fp = setup_.pascalPerUnit[static_cast<size_t>(2 * a)];
        const double fq = setup_.pascalPerUnit[static_cast<size_t>(2 * a + 1)];
        const double scale[4] = {fp * fp, fq * fq, fp * fq, fp * fq};
        for (int g = 0; g < 4; ++g) {
            const double* s = sums_[4 * a + g].data();
            double* d = density_[4 * a + g].data();
            for (size_t i = 0; i < half; ++i) {
                const bool real = i == 0 || (n_ % 2 == 0 && i == half - 1);
                d[i] = s[i] * scale[g] * base * (real ? 1.0 : 2.0);
            }
        }
    }
    return kAnalysisOk;
}

double AveragedSpectra::effectiveAverages() const
{
    return effectiveAverages(1, 2);
}

// The variance of a sum of L lines over K segments of white Gaussian noise, relative to its
// squared mean, is
//     (1 / (K L)^2) sum_{j=-(K-1)}^{K-1} (K - |j|) sum_{m=-(L-1)}^{L-1} (L - |m|) rho(|j|, |m|),
// since for circular Gaussian spectra cov(|X_a|^2, |X_b|^2) = |E X_a conj X_b|^2 (the
// Gaussian fourth-moment rule, as in Bendat and Piersol, Random Data; Welch 1967 for the lag
// sum with L = 1). The effective number of averages is the reciprocal. Without the line offsets the
// Hanning window's neighbours (rho = 4/9 one line apart) would make a band's error look
// 1.4 times smaller than it is.
double AveragedSpectra::effectiveAverages(int firstLine, int endLine) const
{
    const long long K = segments_;
    const long long L = std::max(0, endLine - firstLine);
    if (K == 0 || L == 0 || correlation_.empty())
        return 0.0;
    const long long lags = std::min<long long>(K, lagCount_);
    const long long offsets = std::min<long long>(L, kLineLags + 1);
    double sum = 0.0;
    for (long long j = 0; j < lags; ++j) {
        double lineSum = 0.0;
        for (long long m = 0; m < offsets; ++m) {
            const double rho = correlation_[static_cast<size_t>(j * (kLineLags + 1) + m)];
            lineSum += (m == 0 ? 1.0 : 2.0) * static_cast<double>(L - m) * rho;
        }
        sum += (j == 0 ? 1.0 : 2.0) * static_cast<double>(K - j) * lineSum;
    }
    const double KL = static_cast<double>(K) * static_cast<double>(L);
    return sum > 0.0 ? KL * KL / sum : 0.0;
}

AveragedSpectra::Stretch AveragedSpectra::partOf(long long total, int parts, int part) const
{
    if (status_ != kAnalysisOk || total < n_ || parts < 1 || part < 0 || part >= parts)
        return {};
    const long long K = (total - n_) / hop_ + 1;
    const long long first = K * part / parts;
    const long long end = K * (part + 1) / parts;
    if (end <= first)
        return {};
    return {first * hop_, (end - 1) * hop_ + n_};
}

AnalysisStatus AveragedSpectra::merge(const AveragedSpectra& other)
{
    if (status_ != kAnalysisOk)
        return status_;
    const AveragedSpectraSetup& o = other.setup_;
    if (other.status_ != kAnalysisOk || o.segmentLength != setup_.segmentLength ||
        o.overlap != setup_.overlap || o.windowItem != setup_.windowItem ||
        o.sampleRate != setup_.sampleRate || o.pascalPerUnit != setup_.pascalPerUnit)
        return kAveragedBadSetup;
    for (size_t g = 0; g < sums_.size(); ++g)
        for (size_t i = 0; i < sums_[g].size(); ++i)
            sums_[g][i] += other.sums_[g][i];
    segments_ += other.segments_;
    fed_ += other.fed_;
    return kAnalysisOk;
}

size_t AveragedSpectra::memoryBytes() const
{
    size_t bytes = sizeof(*this);
    bytes += (window_.capacity() + ring_.capacity() + correlation_.capacity()) * sizeof(double);
    for (const auto& s : sums_)
        bytes += s.capacity() * sizeof(double);
    for (const auto& d : density_)
        bytes += d.capacity() * sizeof(double);
    if (work_ != nullptr)
        bytes += static_cast<size_t>(n_) * sizeof(double);
    if (bins_ != nullptr)
        bytes += 6 * binStride_ * sizeof(double);
    return bytes;
}

void RandomIntensitySpectra(const AveragedSpectra& spectra, const IntensityConstants& constants, int count,
                            double* const I[3], double* const J[3], double* const K[3], double* const P[3])
{
    count = std::clamp(count, 0, spectra.lines());
    const double rho = constants.density;
    const double c = constants.soundSpeed;
    for (int a = 0; a < 3; ++a) {
        const double dr = constants.spacings[static_cast<size_t>(a)];
        const double* gpp = spectra.autoP(a);
        const double* gqq = spectra.autoQ(a);
        const double* re = spectra.crossReal(a);
        const double* im = spectra.crossImag(a);
        for (int i = 0; i < count; ++i) {
            if (i == 0) {
                I[a][0] = J[a][0] = K[a][0] = P[a][0] = 0.0;
                continue;
            }
            const double f = spectra.frequency(i);
            I[a][i] = -im[i] / (2.0 * kPi * f * rho * dr);
            J[a][i] = (gqq[i] - gpp[i]) / (4.0 * kPi * f * rho * dr);
            K[a][i] = (gpp[i] + gqq[i] - 2.0 * re[i]) / (8.0 * kPi * kPi * f * f * rho * dr * dr);
            P[a][i] = (gpp[i] + gqq[i] + 2.0 * re[i]) / (8.0 * rho * c * c);
        }
    }
}

SlicedSpectra::SlicedSpectra(const AveragedSpectraSetup& setup, long long totalSamples, int slices)
    : total_(std::max(0LL, totalSamples))
{
    slices = std::max(slices, 1);
    slices_.reserve(static_cast<size_t>(slices));
    for (int k = 0; k < slices; ++k)
        slices_.emplace_back(setup);
}

AnalysisStatus SlicedSpectra::status() const
{
    return slices_.front().status();
}

void SlicedSpectra::feed(const double* const channels[6], long long count)
{
    const long long M = static_cast<long long>(slices_.size());
    long long done = 0;
    while (done < count && position_ < total_) {
        // Sample i belongs to slice floor(i M / T), so slice k ends before ceil((k + 1) T / M).
        const long long k = position_ * M / total_;
        const long long end = ((k + 1) * total_ + M - 1) / M;
        const long long take = std::min(count - done, end - position_);
        const double* part[6];
        for (int c = 0; c < 6; ++c)
            part[c] = channels[c] + done;
        slices_[static_cast<size_t>(k)].feed(part, take);
        done += take;
        position_ += take;
    }
}

AnalysisStatus SlicedSpectra::finish()
{
    AnalysisStatus first = kAnalysisOk;
    for (auto& s : slices_) {
        const AnalysisStatus status = s.finish();
        if (first == kAnalysisOk)
            first = status;
    }
    return first;
}
