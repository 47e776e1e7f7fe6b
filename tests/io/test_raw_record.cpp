// Decoding of single sample records and the spike suppression of one channel.
#include "RawRecord.h"
#include "ReadIshFile.h"
#include "SampleGen.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

TEST(RawRecord, DecodesTheDocumentedExamples)
{
    EXPECT_EQ(DecodeTag(0xC0), 3);
    EXPECT_EQ(DecodeSampleCode(0x01, 0xC0), 128);
    EXPECT_EQ(DecodeTag(0x41), 1);
    EXPECT_EQ(DecodeSampleCode(0x00, 0x41), 8192);
    // Each code bit on its own: bit n of L is code bit 7 - n, bit n of H is code bit 13 - n.
    for (int n = 0; n < 8; ++n)
        EXPECT_EQ(DecodeSampleCode(static_cast<uint8_t>(1u << n), 0), 1 << (7 - n)) << n;
    for (int n = 0; n < 6; ++n)
        EXPECT_EQ(DecodeSampleCode(0, static_cast<uint8_t>(1u << n)), 1 << (13 - n)) << n;
}

TEST(RawRecord, EveryCodeSurvivesTheGeneratorsEncoding)
{
    for (int code = 0; code < 16384; ++code) {
        const auto record = EncodeRawRecord({code, 0, 0, 0, 0, 16383 - code});
        ASSERT_TRUE(HasRecordMarker(record.data()));
        ASSERT_EQ(DecodeSampleCode(record[0], record[1]), code);
        ASSERT_EQ(DecodeSampleCode(record[10], record[11]), 16383 - code);
    }
    EXPECT_EQ(RecordTags(EncodeRawRecord({}).data()), "331122");
}

TEST(RawRecord, MarkerNeedsAllSixTags)
{
    auto record = EncodeRawRecord({1, 2, 3, 4, 5, 6});
    for (int k = 0; k < 6; ++k) {
        auto broken = record;
        broken[2 * k + 1] ^= 0x40;   // one tag off by one
        EXPECT_FALSE(HasRecordMarker(broken.data())) << "slot " << k;
    }
}

struct SpikeCase {
    const char* what;
    std::vector<double> in;
    std::vector<double> out;
};

class SpikeSuppression : public testing::TestWithParam<SpikeCase> {};

TEST_P(SpikeSuppression, ReplacesOnlyWhatTheRuleSays)
{
    auto v = GetParam().in;
    SuppressSpikes(v.data(), static_cast<int>(v.size()));
    EXPECT_EQ(v, GetParam().out);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SpikeSuppression,
    testing::Values(
        SpikeCase{
            "first of a pair replaced, last pair untouched", {10, 30, 7, 7, 1, 50}, {10, 10, 7, 7, 1, 50}},
        SpikeCase{"division by zero skipped", {0, 5, 1, 1, 1, 1}, {0, 5, 1, 1, 1, 1}},
        SpikeCase{"zero divisor in the first test", {5, 0, 1, 1}, {5, 0, 1, 1}},
        SpikeCase{"second of a pair replaced", {1, 100, 1, 1}, {1, 1, 1, 1}},
        SpikeCase{"magnitudes, not signs", {-30, 10, 3, -5, 1, 1}, {10, 10, 3, -5, 1, 1}},
        SpikeCase{"exactly twice is kept", {20, 10, 10, 20, 1, 1}, {20, 10, 10, 20, 1, 1}},
        SpikeCase{"fewer than four samples", {100, 1, 3}, {100, 1, 3}},
        SpikeCase{"odd count: the lone last sample is never seen", {30, 10, 1, 1, 99}, {10, 10, 1, 1, 99}},
        SpikeCase{
            "pairs only, never across pairs", {1, 1, 100, 100, 1, 1, 5, 5}, {1, 1, 100, 100, 1, 1, 5, 5}}),
    [](const testing::TestParamInfo<SpikeCase>& info) { return "case" + std::to_string(info.index); });

// The rule as written, with its divisions, for comparison at every length.
void ReferenceSuppressSpikes(std::vector<double>& v)
{
    const int n = static_cast<int>(v.size());
    for (int k = 0; k <= n / 2 - 2; ++k) {
        if (v[2 * k + 1] != 0 && std::fabs(v[2 * k] / v[2 * k + 1]) > 2)
            v[2 * k] = v[2 * k + 1];
        if (v[2 * k] != 0 && std::fabs(v[2 * k + 1] / v[2 * k]) > 2)
            v[2 * k + 1] = v[2 * k];
    }
}

TEST(SpikeSuppressionSweep, MatchesTheRuleAtEveryLength)
{
    // Small integers with many zeros and many ratios near 2, like despiked ADC values.
    uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<int>(state >> 16) % 41 - 20;
    };
    for (int n = 0; n <= 67; ++n) {
        for (int trial = 0; trial < 20; ++trial) {
            std::vector<double> v(n);
            for (double& x : v)
                x = next();
            auto expected = v;
            ReferenceSuppressSpikes(expected);
            SuppressSpikes(v.data(), n);
            ASSERT_EQ(v, expected) << "n = " << n << ", trial " << trial;
        }
    }
}
