// A stretch of six channels in memory, filled from a segment file (ReadWriteMyFile.h) or by
// the test-signal generator; the processing window works on it without caring which.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

struct Segment {
    uint32_t sampleRate = 0;                       // R', samples per second per channel (even)
    int32_t sampleCount = 0;                       // N
    std::array<std::vector<double>, 6> channels;   // ADC steps relative to the ADC zero, channel 1 first
    std::vector<double> time;                      // t_j = j / R', seconds from the start of the stretch
    std::array<double, 6> paPerVolt{};             // 1000 / sensitivity (mV/Pa); from a file only

    // Sizes the six channels and the time axis to n samples each.
    void Allocate(int32_t n);
    void Clear();
};

// Size of the fixed part of a segment file: rate (4), duration (8), six sensitivities (48).
constexpr int64_t kSegmentHeaderBytes = 60;

// The rate a segment's samples are spaced by: the stored rate with its lowest bit cleared.
constexpr uint32_t SegmentEvenRate(uint32_t rate)
{
    return rate & ~1u;
}

// N = trunc(R' * D) with R' = SegmentEvenRate(rate), the product in double precision, exactly
// as both the writer and the reader form it. -1 when the product is not a count the program
// can hold (NaN, negative, or 2^31 and above).
int64_t SegmentSampleCount(uint32_t rate, double duration);

// 60 + 48 * N.
constexpr int64_t SegmentFileBytes(int64_t sampleCount)
{
    return kSegmentHeaderBytes + 48 * sampleCount;
}
