// The samples a chart keeps of a long curve: every sample of a short stretch, else each
// bucket's extremes, ends and first gap, always in sample order and with the neighbours that
// carry the line to the chart's edges.
#include "ChartEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

struct Curve {
    std::vector<double> x, y;
    explicit Curve(int n) : x(n), y(n)
    {
        for (int i = 0; i < n; ++i) {
            x[i] = 0.001 * i;
            y[i] = std::sin(0.37 * i) + 0.01 * (i % 13);
        }
    }
};

}   // namespace

TEST(ChartEnvelope, ShortStretchKeepsEverySampleAndItsNeighbours)
{
    const Curve c(1000);
    std::vector<int> picks;
    // Samples 100 ... 200 lie in the window; 99 and 201 carry the line to its edges.
    EnvelopeIndices(c.x.data(), c.y.data(), 1000, 0.1, 0.2, 64, picks);
    ASSERT_EQ(picks.size(), 103u);
    EXPECT_EQ(picks.front(), 99);
    EXPECT_EQ(picks.back(), 201);
    // At the curve's ends there is no neighbour to add, and a window past the data keeps the
    // last sample so the curve does not vanish.
    EnvelopeIndices(c.x.data(), c.y.data(), 1000, -5.0, 0.0005, 64, picks);
    EXPECT_EQ(picks, (std::vector<int>{0, 1}));
    EnvelopeIndices(c.x.data(), c.y.data(), 1000, 7.0, 8.0, 64, picks);
    EXPECT_EQ(picks, (std::vector<int>{999}));
    EnvelopeIndices(c.x.data(), c.y.data(), 0, 0.0, 1.0, 64, picks);
    EXPECT_TRUE(picks.empty());
}

TEST(ChartEnvelope, LongStretchKeepsEachBucketsExtremesInOrder)
{
    const int n = 1000000;
    Curve c(n);
    c.y[123457] = 50.0;   // a spike and a dip that must survive
    c.y[700001] = -50.0;
    c.y[500000] = std::nan("");
    const int buckets = 1000;
    std::vector<int> picks;
    EnvelopeIndices(c.x.data(), c.y.data(), n, 0.0, c.x.back(), buckets, picks);
    EXPECT_LE(picks.size(), size_t(5 * buckets));
    EXPECT_TRUE(std::is_sorted(picks.begin(), picks.end()));
    EXPECT_EQ(std::adjacent_find(picks.begin(), picks.end()), picks.end());
    for (const int i : {0, n - 1, 123457, 700001, 500000})
        EXPECT_TRUE(std::binary_search(picks.begin(), picks.end(), i)) << i;
    // Every bucket's lowest and highest sample is there, so the drawn band of values is that
    // of the whole curve at any width of at most one pixel per bucket.
    for (int b = 0; b < buckets; b += 97) {
        const auto from = c.y.begin() + static_cast<long>(n) * b / buckets;
        const auto to = c.y.begin() + static_cast<long>(n) * (b + 1) / buckets;
        const auto [lo, hi] = std::minmax_element(from, to, [](double a, double v) {
            return std::isnan(a) ? false : std::isnan(v) ? true : a < v;
        });
        for (const auto it : {lo, hi})
            EXPECT_TRUE(std::binary_search(picks.begin(), picks.end(), static_cast<int>(it - c.y.begin())))
                << b;
    }
}
