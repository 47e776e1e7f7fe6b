// A small segment file with known samples, for the windows that open segments.
#pragma once

#include "ReadWriteMyFile.h"
#include "Segment.h"

#include <QString>

#include <array>
#include <cmath>
#include <vector>

// Channel c holds (c + 1) * 100 * sin(2 pi 5 t) ADC steps, t at the even rate. Returns the
// path, or an empty string when the file could not be written.
inline QString WriteSegmentFile(const QString& path, uint32_t rate, double duration,
                                const std::array<double, 6>& sensitivity)
{
    const int64_t n = SegmentSampleCount(rate, duration);
    std::array<std::vector<double>, 6> ch;
    for (int c = 0; c < 6; ++c) {
        ch[c].resize(static_cast<size_t>(n));
        for (int64_t j = 0; j < n; ++j)
            ch[c][j] = (c + 1) * 100.0 * std::sin(2 * M_PI * 5 * j / double(rate & ~1u));
    }
    TReadWriteMyFile writer(path.toStdString());
    if (writer.OpenForWriting(true))
        return {};
    std::array<const double*, 6> ptrs{};
    for (int c = 0; c < 6; ++c)
        ptrs[c] = ch[c].data();
    if (writer.WriteSegment(rate, duration, sensitivity, ptrs, n) || writer.Close())
        return {};
    return path;
}
