#include "PlaybackFrame.h"

#include "Recording.h"

#include "Filters.h"
#include "RawRecord.h"
#include "Segment.h"

#include <algorithm>
#include <cmath>
#include <limits>

PlaybackFramePlan PlanPlaybackFrame(int frameSeconds, uint32_t rate, int decimation)
{
    PlaybackFramePlan plan;
    if (frameSeconds <= 0 || rate == 0 || decimation <= 0)
        return plan;
    const int64_t records = static_cast<int64_t>(frameSeconds) * rate;
    int64_t count = records / decimation;
    int64_t step = decimation;
    if (count == 0) {
        // Decimated more than the frame has records: show its first record alone.
        count = 1;
        step = records;
    }
    if (count > INT32_MAX)
        return plan;   // no frame of that size can be held
    plan.count = static_cast<int>(count);
    plan.step = static_cast<int>(step);
    plan.trailing = records - count * step;
    return plan;
}

ClockTime SplitClockSeconds(uint32_t seconds)
{
    ClockTime t;
    t.hours = seconds / 3600;
    t.minutes = (seconds % 3600) / 60;
    t.seconds = seconds % 60;
    return t;
}

uint32_t ClockSeconds(uint32_t hours, uint32_t minutes, uint32_t seconds)
{
    return hours * 3600u + minutes * 60u + seconds;
}

int LongestPlaybackFrame(uint32_t durationSeconds, int controlMaximum)
{
    const uint32_t ceiling = static_cast<uint32_t>(std::max(controlMaximum, 0));
    return std::max(1, static_cast<int>(std::min(durationSeconds, ceiling)));
}

int PlaybackTrackSecond(double time)
{
    if (!std::isfinite(time))
        return 0;
    constexpr double lowest = std::numeric_limits<int>::min();
    constexpr double highest = std::numeric_limits<int>::max();
    return static_cast<int>(std::clamp(std::trunc(time), lowest, highest));
}

int PlaybackTrackMaximum(uint32_t durationSeconds)
{
    return static_cast<int>(std::min<uint32_t>(durationSeconds, INT32_MAX));
}

bool PlaybackBackStepFits(int64_t position, int seconds, uint32_t rate)
{
    return position - int64_t{seconds} * kRawRecordBytes * rate >= 0;
}

int SecondsBackToFrameStart(int64_t position, int64_t frameEnd, int shownSeconds, int frameSeconds)
{
    return position == frameEnd ? shownSeconds : frameSeconds;
}

void FrameRelativeTimes(const double* time, int count, double* out)
{
    for (int j = 0; j < count; ++j)
        out[j] = time[j] - time[0];
}

bool FilterPlaybackDisplay(const std::array<std::vector<double>, 6>& raw,
                           std::array<std::vector<double>, 6>& shown, int order, int fmin, int fmax,
                           int displayRate)
{
    auto copyRaw = [&] {
        for (size_t c = 0; c < raw.size(); ++c)
            shown[c].assign(raw[c].begin(), raw[c].end());
    };
    copyRaw();
    bool filtered = order != 0;
    for (size_t c = 0; filtered && c < shown.size(); ++c) {
        filtered = !ApplyBandFilter(kFilterButterworth, order, fmin, fmax, static_cast<int>(shown[c].size()),
                                    displayRate, shown[c].data(), shown[c].data());
    }
    if (order != 0 && !filtered)
        copyRaw();
    return filtered;
}

int PlaybackDisplayRate(uint32_t rate, int decimation)
{
    if (decimation <= 0)
        return 0;
    return static_cast<int>(std::min<long>(std::lround(static_cast<double>(rate) / decimation), INT32_MAX));
}

int PlaybackFilterLimit(uint32_t rate, int decimation)
{
    return std::max(0, (PlaybackDisplayRate(rate, decimation) - 1) / 2);
}

std::array<double, 6> PlaybackScaleFactors(const Settings& s, int unit)
{
    std::array<double, 6> factors{};
    const std::array<double, 6> sensitivities = ChannelSensitivities(s);
    for (size_t i = 0; i < factors.size(); ++i) {
        if (unit == kPlaybackVolts) {
            factors[i] = s.VOLT;
            continue;
        }
        const double sensitivity = sensitivities[i];
        factors[i] = (sensitivity > 0.0 && std::isfinite(sensitivity)) ? 1000.0 * s.VOLT / sensitivity : 0.0;
    }
    return factors;
}

ExportRead PlanExportRead(const ExportSource& source, uint32_t rate)
{
    ExportRead read;
    read.seconds = source.frameLoaded ? source.shownSeconds : source.frameSeconds;
    const int64_t frameRecords = int64_t{read.seconds} * rate;
    read.total = static_cast<int>(std::min<int64_t>(frameRecords, INT32_MAX));
    read.again = source.frameLoaded && source.position == source.frameEnd &&
                 source.frameEnd - source.frameStart == kRawRecordBytes * frameRecords;
    const double start = source.frameLoaded ? std::max(0.0, std::trunc(source.firstTime))
                                            : static_cast<double>(std::max(0, source.trackSecond));
    read.startSecond = static_cast<uint32_t>(start);
    return read;
}

ExportStretch SelectExportStretch(const double* time, int total, double visibleMin, double visibleMax,
                                  uint32_t rate)
{
    ExportStretch out;
    if (!time || total <= 0 || rate < 2 || !std::isfinite(visibleMin) || !std::isfinite(visibleMax))
        return out;
    const double t0 = time[0];
    // A window wholly past the frame has no first sample: nothing of it can be written.
    int i0 = 0;
    while (i0 < total && time[i0] - t0 < visibleMin)
        ++i0;
    int i1 = i0;
    while (i1 < total && !(time[i1] - t0 > visibleMax))
        ++i1;
    if (i1 == total && i0 < total)
        i1 = total - 1;
    out.first = i0;
    if (i1 - i0 < kMinimumExportSamples)
        return out;

    const int64_t available = total - i0;
    double duration = visibleMax - std::max(visibleMin, 0.0);
    if (SegmentSampleCount(rate, duration) > available) {
        duration = static_cast<double>(available) / SegmentEvenRate(rate);
        while (SegmentSampleCount(rate, duration) > available)
            duration = std::nextafter(duration, 0.0);
    }
    const int64_t count = SegmentSampleCount(rate, duration);
    if (count < 2)   // nothing a segment reader would accept
        return out;
    out.refused = false;
    out.duration = duration;
    out.count = count;
    return out;
}
