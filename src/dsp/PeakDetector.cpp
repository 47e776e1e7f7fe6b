// Quadratic-fit peak detector over one block of samples.
#include "PeakDetector.h"

#include <cmath>
#include <new>
#include <vector>

namespace {

struct Fit {
    double c0 = 0.0;
    double c1 = 0.0;
    double c2 = 0.0;
};

struct Entry {
    double location;
    double amplitude;
    double secondDerivative;
};

// Least-squares quadratic over t = -h ... h. The abscissae are symmetric, so the odd
// moments vanish: c1 = sum(t y)/S2, and (c0, c2) solve [S0 S2; S2 S4] (c0, c2) =
// (sum y, sum t^2 y). The matrix depends only on the width and is inverted once.
class QuadraticFitter {
public:
    explicit QuadraticFitter(int width) : width_(width), half_(0.5 * (width - 1))
    {
        double s0 = 0.0;
        double s4 = 0.0;
        for (int j = 0; j < width; ++j) {
            const double t = j - half_;
            s0 += 1.0;
            s2_ += t * t;
            s4 += t * t * t * t;
        }
        const double det = s0 * s4 - s2_ * s2_;
        i00_ = s4 / det;
        i02_ = -s2_ / det;
        i22_ = s0 / det;
    }

    Fit operator()(const double* s) const
    {
        if (width_ == 3) {
            // The exact interpolation through three points.
            return {s[1], 0.5 * (s[2] - s[0]), 0.5 * (s[0] - 2.0 * s[1] + s[2])};
        }
        double sy = 0.0;
        double sty = 0.0;
        double st2y = 0.0;
        for (int j = 0; j < width_; ++j) {
            const double t = j - half_;
            sy += s[j];
            sty += t * s[j];
            st2y += t * t * s[j];
        }
        return {i00_ * sy + i02_ * st2y, sty / s2_, i02_ * sy + i22_ * st2y};
    }

    double half() const { return half_; }

private:
    int width_;
    double half_;
    double s2_ = 0.0;
    double i00_ = 0.0;
    double i02_ = 0.0;
    double i22_ = 0.0;
};

bool SlopeUp(const Fit& f)
{
    return std::fabs(f.c1) > 1e-15 ? f.c1 > 0.0 : f.c2 > 0.0;
}

double* CopyOut(const std::vector<Entry>& entries, double Entry::*field)
{
    double* out = new double[entries.size()];
    for (size_t i = 0; i < entries.size(); ++i) {
        out[i] = entries[i].*field;
    }
    return out;
}

}   // namespace

int DetectPeaks(const double* data, int n, double threshold, int width, int polarity, bool finalBlock,
                PeakList& peaks)
{
    peaks = PeakList{};
    if (width < 3) {
        return kPeakWidthTooSmall;
    }
    if (width > (1 << 30)) {
        return kPeakWidthTooLarge;
    }
    const bool valleys = polarity != kPeaks;
    // Windows k = 0 ... lastWindow; the one ending at the last sample only in a final block.
    const long long lastWindow = static_cast<long long>(n) - width - (finalBlock ? 0 : 1);
    if (lastWindow < 0) {
        return 0;
    }

    try {
        const QuadraticFitter fit(width);
        const double h = fit.half();
        std::vector<Entry> entries;
        constexpr size_t kGrowth = 500;

        // Three-point peaks over a spectrum are looked for at every bin, and nearly all bins lie
        // far below the threshold. The vertex of a parabola through three samples lies at most
        // |s2 - s0| / 8 above the middle one when it is within half a sample of the middle, as
        // an accepted vertex must be; windows whose bound and whose predecessor's bound stay
        // below the threshold are passed over unfitted. The margin covers the rounding of the
        // fit, so the result is the same as fitting every window.
        const bool boundable = width == 3 && !valleys;
        const auto below = [&](long long k) {
            const double* q = data + k;
            const double bound = q[1] + 0.125 * std::fabs(q[2] - q[0]);
            const double margin = 1e-9 * (std::fabs(q[0]) + std::fabs(q[1]) + std::fabs(q[2]));
            return bound + margin < threshold;
        };

        Fit previous = fit(data);
        bool previousUp = SlopeUp(previous);
        for (long long k = 0; k <= lastWindow; ++k) {
            if (boundable && below(k) && (k == 0 || below(k - 1))) {
                continue;   // previous is refitted below when the next window needs it
            }
            if (boundable && k > 0) {
                previous = fit(data + k - 1);
            }
            const Fit current = fit(data + k);
            const bool up = SlopeUp(current);
            const bool candidate =
                (width <= 4) ? (valleys ? current.c2 > 0.0 : current.c2 < 0.0) : (up != previousUp);
            if (candidate) {
                double d = 2.0 * current.c2;
                bool accept = d != 0.0;
                double e = 0.0;
                double g = 0.0;
                long long at = k;
                if (accept) {
                    e = -current.c1 / d;
                    g = current.c0 + e * (current.c1 + current.c2 * e);
                    if (k > 0 && e < -0.5) {
                        // The vertex lies towards the previous window: take that window's
                        // fit if it places the vertex nearer its own centre.
                        const double dPrev = 2.0 * previous.c2;
                        if (dPrev == 0.0) {
                            accept = false;
                        } else {
                            const double ePrev = -previous.c1 / dPrev;
                            if (std::fabs(ePrev) < std::fabs(e)) {
                                e = ePrev;
                                g = previous.c0 + ePrev * (previous.c1 + previous.c2 * ePrev);
                                d = dPrev;
                                at = k - 1;
                            }
                        }
                    }
                }
                accept = accept && std::fabs(e) <= h / 2.0;
                accept = accept && (valleys ? (d > 0.0 && g < threshold) : (d < 0.0 && g > threshold));
                if (accept) {
                    const Entry entry{static_cast<double>(at) + h + e, g, d};
                    if (!entries.empty() && std::fabs(entries.back().location - entry.location) < 1.0) {
                        const bool better = valleys ? entry.amplitude < entries.back().amplitude
                                                    : entry.amplitude > entries.back().amplitude;
                        if (better) {
                            entries.back() = entry;
                        }
                    } else {
                        if (entries.size() == entries.capacity()) {
                            entries.reserve(entries.capacity() + kGrowth);
                        }
                        entries.push_back(entry);
                    }
                }
            }
            previous = current;
            previousUp = up;
        }

        if (entries.empty()) {
            return 0;
        }
        PeakList result;
        result.count = static_cast<int>(entries.size());
        try {
            result.locations = CopyOut(entries, &Entry::location);
            result.amplitudes = CopyOut(entries, &Entry::amplitude);
            result.secondDerivatives = CopyOut(entries, &Entry::secondDerivative);
        } catch (const std::bad_alloc&) {
            ReleasePeakList(result);
            throw;
        }
        peaks = result;
    } catch (const std::bad_alloc&) {
        peaks = PeakList{};
        return kPeakNoMemory;
    }
    return 0;
}

void ReleasePeakArray(double*& array)
{
    delete[] array;
    array = nullptr;
}

void ReleasePeakList(PeakList& peaks)
{
    ReleasePeakArray(peaks.locations);
    ReleasePeakArray(peaks.amplitudes);
    ReleasePeakArray(peaks.secondDerivatives);
    peaks.count = 0;
}
