#include "Segment.h"

#include "LargeBuffer.h"

void Segment::Allocate(int32_t n)
{
    const auto size = static_cast<size_t>(n < 0 ? 0 : n);
    sampleCount = n < 0 ? 0 : n;
    for (auto& c : channels)
        AssignLarge(c, size);
    AssignLarge(time, size);
}

void Segment::Clear()
{
    *this = Segment{};
}

int64_t SegmentSampleCount(uint32_t rate, double duration)
{
    const double product = static_cast<double>(SegmentEvenRate(rate)) * duration;
    // Written so that NaN fails too.
    if (!(product >= 0.0 && product < 2147483648.0))
        return -1;
    return static_cast<int64_t>(std::trunc(product));
}
