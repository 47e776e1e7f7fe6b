#include "ChartEnvelope.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

void EnvelopeIndices(const double* x, const double* y, int count, double lo, double hi, int buckets,
                     std::vector<int>& indices)
{
    indices.clear();
    if (count <= 0)
        return;
    int first = static_cast<int>(std::lower_bound(x, x + count, lo) - x);
    int end = static_cast<int>(std::upper_bound(x, x + count, hi) - x);
    first = std::max(0, first - 1);
    end = std::min(count, std::max(end + 1, first + 1));
    const int span = end - first;
    buckets = std::max(1, buckets);
    if (span <= 2 * buckets) {
        indices.resize(static_cast<size_t>(span));
        for (int i = 0; i < span; ++i)
            indices[static_cast<size_t>(i)] = first + i;
        return;
    }
    indices.reserve(static_cast<size_t>(4 * buckets + 2));
    for (int b = 0; b < buckets; ++b) {
        const int from = first + static_cast<int>(static_cast<long long>(span) * b / buckets);
        const int to = first + static_cast<int>(static_cast<long long>(span) * (b + 1) / buckets);
        // The extremes' values first, in a loop without branches (a NaN passes both
        // comparisons by), then where they first occur.
        double lowValue = std::numeric_limits<double>::infinity();
        double highValue = -lowValue;
        bool gapSeen = false;
        for (int i = from; i < to; ++i) {
            const double v = y[i];
            lowValue = v < lowValue ? v : lowValue;
            highValue = v > highValue ? v : highValue;
            gapSeen |= v != v;
        }
        int low = -1;
        int high = -1;
        int gap = -1;
        for (int i = from; i < to && (low < 0 || high < 0 || (gapSeen && gap < 0)); ++i) {
            const double v = y[i];
            if (low < 0 && v == lowValue)
                low = i;
            if (high < 0 && v == highValue)
                high = i;
            if (gapSeen && gap < 0 && std::isnan(v))
                gap = i;
        }
        // The bucket's ends keep the line between buckets where it really runs.
        std::array<int, 5> picks{from, low, high, gap, to - 1};
        std::sort(picks.begin(), picks.end());
        for (const int i : picks)
            if (i >= 0 && (indices.empty() || indices.back() != i))
                indices.push_back(i);
    }
}
