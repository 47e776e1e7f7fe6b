// Cosine-sum and triangular windows in their periodic form.
#include "Windows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace {

struct WindowDefinition {
    std::array<double, 7> a;   // cosine-sum coefficients a_0 ... a_m, zero beyond m
    int terms;
    double cg;
    double enbw;
};

// Coherent gain and ENBW as the program reports them: the CG of the exact Blackman window
// is its a_0 to 11 digits, and the Hamming ENBW is the customary rounded 1.36 (1.3628).
const std::array<WindowDefinition, 10> kWindows = {{
    {{1.0}, 1, 1.0, 1.0},
    {{0.5, 0.5}, 2, 0.5, 1.5},
    {{0.54, 0.46}, 2, 0.54, 1.36},
    {{0.42323, 0.49755, 0.07922}, 3, 0.42323, 1.708538},
    {{7938.0 / 18608.0, 9240.0 / 18608.0, 1430.0 / 18608.0}, 3, 0.42659071367, 1.693699},
    {{0.42, 0.5, 0.08}, 3, 0.42, 1.726757},
    {{0.215578948, 0.41663158, 0.277263158, 0.083578947, 0.006947368}, 5, 0.215578948, 3.770246506303},
    {{0.35875, 0.48829, 0.14128, 0.01168}, 4, 0.35875, 2.004353},
    {{0.27105140069342415, 0.43329793923448606, 0.21812299954311062, 0.0659254463880309, 0.010811742098372268,
      0.0007765848252250934, 1.3887217350903198e-05},
     7,
     0.27105140069342415,
     2.631905},
    {{0.323215218, 0.471492057, 0.17553428, 0.028497078, 0.001261367}, 5, 0.323215218, 2.215350782519},
}};

constexpr long double kTwoPi = 6.283185307179586476925286766559005768L;

// cos(2*pi*i/N) for i = 0 ... N/2 in blocks: an exact cosine and sine at each block start,
// rotated by exact per-step factors, so each value is within a rounding or two of exact
// at the cost of a complex product instead of a cosine.
template <class Visit> void ForEachCosine(int N, Visit visit)
{
    constexpr int kBlock = 256;
    std::array<double, kBlock> stepCos{};
    std::array<double, kBlock> stepSin{};
    const long double theta = kTwoPi / static_cast<long double>(N);
    for (int j = 0; j < kBlock; ++j) {
        stepCos[j] = static_cast<double>(std::cos(theta * j));
        stepSin[j] = static_cast<double>(std::sin(theta * j));
    }
    const int half = N / 2;
    for (int base = 0; base <= half; base += kBlock) {
        const double c0 = static_cast<double>(std::cos(theta * base));
        const double s0 = static_cast<double>(std::sin(theta * base));
        const int count = std::min(kBlock, half - base + 1);
        for (int j = 0; j < count; ++j) {
            visit(base + j, c0 * stepCos[j] - s0 * stepSin[j]);
        }
    }
}

// The weight w[i] = w[N - i] for i = 0 ... N/2 of a cosine-sum window with more than one term.
template <class Visit> void ForEachCosineSumWeight(int N, const WindowDefinition& window, Visit visit)
{
    ForEachCosine(N, [&](int i, double c) {
        // w = sum_k (-1)^k a_k cos(k*theta), cos(k*theta) by the Chebyshev recurrence
        // T_k = 2c T_{k-1} - T_{k-2}; at most six steps, so the error stays at rounding level.
        double previous = 1.0;
        double current = c;
        double w = window.a[0] - window.a[1] * c;
        for (int k = 2; k < window.terms; ++k) {
            const double next = 2.0 * c * current - previous;
            previous = current;
            current = next;
            w += ((k & 1) != 0 ? -window.a[k] : window.a[k]) * current;
        }
        visit(i, w);
    });
}

template <class Visit> void ForEachTriangularWeight(int N, Visit visit)
{
    for (int i = 0; i <= N / 2; ++i) {
        visit(i, 1.0 - std::fabs(2.0 * i / N - 1.0));
    }
}

const WindowDefinition& DefinitionOf(int type)
{
    const bool known = type >= 0 && type < static_cast<int>(kWindows.size());
    return kWindows[known ? type : kWindowRectangular];
}

}   // namespace

AnalysisStatus ApplyScaledWindow(double* x, int N, int type, WindowConstants& constants)
{
    if (N < 0) {
        return kWindowBadCount;
    }
    const WindowDefinition& window = DefinitionOf(type);
    constants.enbw = window.enbw;
    constants.cg = window.cg;
    if (N == 0 || window.terms == 1) {
        return kAnalysisOk;
    }
    const double inverseGain = 1.0 / window.cg;
    ForEachCosineSumWeight(N, window, [&](int i, double w) {
        x[i] = x[i] * w * inverseGain;
        if (i != 0 && N - i != i) {
            x[N - i] = x[N - i] * w * inverseGain;
        }
    });
    return kAnalysisOk;
}

AnalysisStatus ApplyTriangularWindow(double* x, int N, WindowConstants& constants)
{
    if (N < 0) {
        return kWindowBadCount;
    }
    constants.enbw = 4.0 / 3.0;
    constants.cg = 0.5;
    if (N == 0) {
        return kAnalysisOk;   // no samples, and no middle sample to weight
    }
    const double inverseGain = 1.0 / constants.cg;
    ForEachTriangularWeight(N, [&](int i, double w) {
        x[i] = x[i] * w * inverseGain;
        if (i != 0 && N - i != i) {
            x[N - i] = x[N - i] * w * inverseGain;
        }
    });
    return kAnalysisOk;
}

AnalysisStatus MakeWindowWeights(int N, int item, WindowWeights& weights)
{
    weights = WindowWeights{};
    weights.count = N;
    if (N < 0) {
        return kWindowBadCount;
    }
    const auto keep = [&](int i, double w) { weights.half[static_cast<size_t>(i)] = w; };
    if (item == kWindowItemTriangular) {
        weights.constants = {4.0 / 3.0, 0.5};
        if (N == 0) {
            weights.inverseGain = 2.0;
            return kAnalysisOk;
        }
        weights.half.resize(static_cast<size_t>(N / 2 + 1));
        ForEachTriangularWeight(N, keep);
    } else if (item != kWindowItemNone) {
        const WindowDefinition& window = DefinitionOf(item - 1);
        weights.constants = {window.enbw, window.cg};
        if (N > 0 && window.terms > 1) {
            weights.half.resize(static_cast<size_t>(N / 2 + 1));
            ForEachCosineSumWeight(N, window, keep);
        }
    }
    weights.inverseGain = 1.0 / weights.constants.cg;
    return kAnalysisOk;
}

void ApplyWindowWeights(const WindowWeights& weights, const double* x, double* out)
{
    const int N = weights.count;
    if (weights.half.empty()) {
        std::copy(x, x + std::max(N, 0), out);
        return;
    }
    const double* w = weights.half.data();
    const double inverseGain = weights.inverseGain;
    // Two forward sweeps, the second reading the weights backwards (w[i] = w[N - i]): the
    // samples stream in order, which the in-place form's paired writes do not.
    const int half = N / 2;
    for (int i = 0; i <= half; ++i) {
        out[i] = x[i] * w[i] * inverseGain;
    }
    for (int i = half + 1; i < N; ++i) {
        out[i] = x[i] * w[N - i] * inverseGain;
    }
}

AnalysisStatus ApplyWindowListItem(double* x, int N, int item, WindowConstants& constants)
{
    if (item == kWindowItemNone) {
        if (N < 0) {
            return kWindowBadCount;
        }
        constants = WindowConstants{};
        return kAnalysisOk;
    }
    if (item == kWindowItemTriangular) {
        return ApplyTriangularWindow(x, N, constants);
    }
    return ApplyScaledWindow(x, N, item - 1, constants);
}
