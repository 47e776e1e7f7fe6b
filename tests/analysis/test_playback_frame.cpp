// Frame size, the clock and the reader's moves, the display copy of a frame, display scale
// factors, and what an export reads and writes.
#include "Filters.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "RawRecord.h"
#include "Segment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

struct FramePlanCase {
    int seconds;
    uint32_t rate;
    int decimation;
    int count;
    int step;
    int64_t trailing;
};

TEST(PlanPlaybackFrame, FileMovesOnByExactlyTheFrame)
{
    const FramePlanCase cases[] = {
        {1, 40000, 3, 13333, 3, 1},   // records 0, 3, ..., 39996, then one more to 40000
        {1, 40590, 4, 10147, 4, 2},   // rounding up would pass 40592 records a second
        {1, 40000, 1, 40000, 1, 0}, {2, 40000, 4, 20000, 4, 0}, {10, 40590, 7, 57985, 7, 5},
        {1, 1, 5, 1, 1, 0},   // fewer records than the decimation: the first alone
        {3, 2, 5, 1, 5, 1},         {0, 40000, 1, 0, 1, 0},     {1, 0, 1, 0, 1, 0},
        {1, 40000, 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.seconds << " s at " << c.rate << " / " << c.decimation);
        const PlaybackFramePlan plan = PlanPlaybackFrame(c.seconds, c.rate, c.decimation);
        EXPECT_EQ(plan.count, c.count);
        EXPECT_EQ(plan.step, c.step);
        EXPECT_EQ(plan.trailing, c.trailing);
        if (plan.count == 0)
            continue;
        // The clock moves by whole seconds: the file must move by the same records, and no
        // sample may lie in the next frame.
        const int64_t records = int64_t{c.seconds} * c.rate;
        EXPECT_EQ(int64_t{plan.count} * plan.step + plan.trailing, records);
        EXPECT_LT(plan.trailing, plan.step);
        EXPECT_LT(int64_t{plan.count - 1} * plan.step, records);
    }
}

TEST(PlaybackFilterLimit, HighestCutOffBelowTheDecimatedNyquistRate)
{
    struct Case {
        uint32_t rate;
        int decimation;
        int limit;
    };
    const Case cases[] = {
        {40000, 1, 19999}, {40000, 4, 4999}, {40590, 4, 5073}, {44100, 3, 7349}, {3, 1, 1}, {1, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rate << " / " << c.decimation);
        const int limit = PlaybackFilterLimit(c.rate, c.decimation);
        EXPECT_EQ(limit, c.limit);
        EXPECT_LT(2.0 * limit, static_cast<double>(c.rate) / c.decimation);
        if (limit < 1)
            continue;
        // The display filter takes the limit at the rate the window gives it.
        std::vector<double> v(64, 1.0);
        EXPECT_FALSE(ApplyBandFilter(kFilterButterworth, 2, 0, limit, 64,
                                     PlaybackDisplayRate(c.rate, c.decimation), v.data(), v.data()));
    }
}

TEST(PlaybackScaleFactors, VoltsAndPascalsThroughTheChannelMap)
{
    Settings s = DefaultSettings();
    s.VOLT = 0.002;
    s.Chs = {4, 5, 2, 3, 0, 1};
    s.Chuv = {1.0, 2.0, 4.0, 5.0, 8.0, 0.0};
    const auto volts = PlaybackScaleFactors(s, kPlaybackVolts);
    for (double f : volts)
        EXPECT_DOUBLE_EQ(f, 0.002);
    const auto pascals = PlaybackScaleFactors(s, kPlaybackPascals);
    EXPECT_DOUBLE_EQ(pascals[0], 1000 * 0.002 / 8.0);   // Chuv[Chs[0]] = Chuv[4]
    EXPECT_DOUBLE_EQ(pascals[1], 0.0);                  // sensitivity 0: nothing sensible to show
    EXPECT_DOUBLE_EQ(pascals[2], 1000 * 0.002 / 4.0);
    EXPECT_DOUBLE_EQ(pascals[4], 1000 * 0.002 / 1.0);
    EXPECT_DOUBLE_EQ(pascals[5], 1000 * 0.002 / 2.0);

    // An exported segment carries these per-channel sensitivities, so the processing
    // window's pascals (VOLT x 1000 / sensitivity) are the playback window's.
    const auto exported = ChannelSensitivities(s);
    EXPECT_EQ(exported, (std::array<double, 6>{8.0, 0.0, 4.0, 5.0, 1.0, 2.0}));
    for (int c : {0, 2, 3, 4, 5})
        EXPECT_DOUBLE_EQ(s.VOLT * 1000.0 / exported[c], pascals[c]);
}

TEST(PlaybackClock, SecondsSplitForTheSeekAndJoinFromTheHeader)
{
    struct Case {
        uint32_t total, hours, minutes, seconds;
    };
    const Case cases[] = {
        {0, 0, 0, 0},        {59, 0, 0, 59},      {60, 0, 1, 0},
        {3599, 0, 59, 59},   {3600, 1, 0, 0},     {3661, 1, 1, 1},
        {86399, 23, 59, 59}, {360000, 100, 0, 0}, {UINT32_MAX, 1193046, 28, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        const ClockTime t = SplitClockSeconds(c.total);
        EXPECT_EQ(t.hours, c.hours);
        EXPECT_EQ(t.minutes, c.minutes);
        EXPECT_EQ(t.seconds, c.seconds);
        EXPECT_EQ(ClockSeconds(t.hours, t.minutes, t.seconds), c.total);
    }
}

TEST(LongestPlaybackFrame, NoLongerThanTheRecordingNorShorterThanASecond)
{
    struct Case {
        uint32_t duration;
        int controlMaximum;
        int longest;
    };
    const Case cases[] = {
        {3600, 10, 10}, {10, 10, 10}, {4, 10, 4}, {1, 10, 1}, {0, 10, 1}, {UINT32_MAX, 10, 10},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LongestPlaybackFrame(c.duration, c.controlMaximum), c.longest) << c.duration;
}

TEST(PlaybackTrack, PositionIsTheWholeSecondOfTheFirstSample)
{
    struct Case {
        double time;
        int second;
    };
    const Case cases[] = {
        {0.0, 0},
        {3.0, 3},
        {3.999975, 3},
        {7199.5, 7199},
        {1e12, INT32_MAX},
        {std::numeric_limits<double>::quiet_NaN(), 0},
        {std::numeric_limits<double>::infinity(), 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaybackTrackSecond(c.time), c.second) << c.time;
    EXPECT_EQ(PlaybackTrackMaximum(3661), 3661);
    EXPECT_EQ(PlaybackTrackMaximum(UINT32_MAX), INT32_MAX);
}

TEST(PlaybackBackStep, StopsAtTheStartOfTheFile)
{
    const uint32_t rate = 40000;
    const int64_t second = kRawRecordBytes * rate;
    struct Case {
        int64_t position;
        int seconds;
        bool fits;
    };
    const Case cases[] = {
        {2 * second, 2, true},        // back to the very first record
        {2 * second - 1, 2, false},   // one byte short
        {5 * second + 7, 2, true},    // records off the grid of whole seconds
        {0, 0, true},
        {0, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.position << " back " << c.seconds);
        EXPECT_EQ(PlaybackBackStepFits(c.position, c.seconds, rate), c.fits);
    }
    // Right after the frame shown the reader goes back by its own length; elsewhere by the
    // length in force.
    EXPECT_EQ(SecondsBackToFrameStart(4 * second, 4 * second, 3, 5), 3);
    EXPECT_EQ(SecondsBackToFrameStart(4 * second, -1, 3, 5), 5);
}

TEST(FrameRelativeTimes, CountFromTheFirstSample)
{
    const std::vector<double> time = {12.5, 12.75, 13.0, 13.25};
    std::vector<double> out(time.size(), -1.0);
    FrameRelativeTimes(time.data(), 3, out.data());
    EXPECT_EQ(out, (std::vector<double>{0.0, 0.25, 0.5, -1.0}));   // nothing past count is written
}

std::array<std::vector<double>, 6> SineFrame(int count, int rate)
{
    std::array<std::vector<double>, 6> raw;
    for (size_t c = 0; c < raw.size(); ++c) {
        raw[c].resize(static_cast<size_t>(count));
        for (int j = 0; j < count; ++j) {
            const double phase = 2 * std::numbers::pi * 50.0 * j / rate;
            raw[c][static_cast<size_t>(j)] = (c + 1.0) * std::sin(phase) + 100.0;
        }
    }
    return raw;
}

TEST(FilterPlaybackDisplay, FilteredCopyOrTheFrameAsRead)
{
    const int rate = 10000;
    const auto raw = SineFrame(10000, rate);
    const auto before = raw;
    struct Case {
        const char* what;
        int order, fmin, fmax, rate;
        bool filtered;
    };
    const Case cases[] = {
        {"order 0 shows the frame as read", 0, 10, 1000, rate, false},
        {"a band filter removes the offset", 2, 10, 1000, rate, true},
        {"a cut-off past the Nyquist rate fails", 2, 10, 6000, rate, false},
        {"an empty band fails", 2, 500, 100, rate, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::array<std::vector<double>, 6> shown;
        shown[0].assign(7, 5.0);   // a former, shorter frame
        EXPECT_EQ(FilterPlaybackDisplay(raw, shown, c.order, c.fmin, c.fmax, c.rate), c.filtered);
        EXPECT_EQ(raw, before);   // the raw frame stays as read
        for (size_t ch = 0; ch < 6; ++ch) {
            ASSERT_EQ(shown[ch].size(), raw[ch].size());
            if (!c.filtered) {
                EXPECT_EQ(shown[ch], raw[ch]);
                continue;
            }
            // The 100 offset is gone from the second half, after the filter has settled; the
            // 50 Hz tone in the pass band stays.
            double mean = 0.0, peak = 0.0;
            for (size_t j = 5000; j < 10000; ++j) {
                mean += shown[ch][j] / 5000.0;
                peak = std::max(peak, std::abs(shown[ch][j]));
            }
            EXPECT_LT(std::abs(mean), 0.1 * (ch + 1.0));
            EXPECT_GT(peak, 0.5 * (ch + 1.0));
        }
    }
}

TEST(PlanExportRead, ReadsTheFrameShownAgainOrSeeksToItsStart)
{
    const uint32_t rate = 40000;
    const int64_t second = kRawRecordBytes * rate;
    auto loaded = [&](int shown, int64_t start, int64_t end, int64_t position) {
        ExportSource s;
        s.frameLoaded = true;
        s.shownSeconds = shown;
        s.frameSeconds = 7;   // a length edited but not yet applied
        s.firstTime = 12.75;
        s.frameStart = start;
        s.frameEnd = end;
        s.position = position;
        s.trackSecond = 40;   // dragged since
        return s;
    };
    ExportSource none;
    none.frameSeconds = 3;
    none.trackSecond = 40;
    ExportSource beforeStart = loaded(2, -1, -1, 0);
    beforeStart.firstTime = -0.5;
    struct Case {
        const char* what;
        ExportSource source;
        int seconds;
        bool again;
        uint32_t startSecond;
    };
    const Case cases[] = {
        {"right after the frame", loaded(2, 10 * second + 8, 12 * second + 8, 12 * second + 8), 2, true, 12},
        {"reader moved on", loaded(2, 10 * second, 12 * second, 14 * second), 2, false, 12},
        {"frame ran short of its records", loaded(2, 10 * second, 12 * second - 16, 12 * second - 16), 2,
         false, 12},
        {"no frame yet: the track bar", none, 3, false, 40},
        {"a time before zero seeks to the start", beforeStart, 2, false, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ExportRead read = PlanExportRead(c.source, rate);
        EXPECT_EQ(read.seconds, c.seconds);
        EXPECT_EQ(read.total, c.seconds * 40000);
        EXPECT_EQ(read.again, c.again);
        if (!read.again) {
            EXPECT_EQ(read.startSecond, c.startSecond);
        }
    }
    // A frame too long for an int of records is cut to what one holds.
    ExportSource huge = none;
    huge.frameSeconds = 10;
    EXPECT_EQ(PlanExportRead(huge, UINT32_MAX).total, INT32_MAX);
}

std::vector<double> FrameTimes(int total, uint32_t rate, double start)
{
    std::vector<double> t(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i)
        t[static_cast<size_t>(i)] = static_cast<double>(i) / rate + start;
    return t;
}

struct StretchCase {
    const char* what;
    double a, b;
    bool refused;
    int first;
    int64_t count;
};

TEST(SelectExportStretch, VisibleWindowOfAOneSecondFrame)
{
    const uint32_t rate = 40000;
    const int total = 40000;
    const auto time = FrameTimes(total, rate, 3.0);
    const StretchCase cases[] = {
        {"middle half", 0.25, 0.75, false, 10000, 20000},
        {"whole frame", 0.0, 0.999975, false, 0, SegmentSampleCount(rate, 0.999975)},
        {"99 samples", 0.25, 10098.5 / 40000, true, 10000, 0},
        {"100 samples", 0.25, 10099.5 / 40000, false, 10000,
         SegmentSampleCount(rate, 10099.5 / 40000 - 0.25)},
        {"panned past the end", 0.5, 1.5, false, 20000, 20000},
        {"panned before the start", -0.5, 0.5, false, 0, 20000},
        {"wholly after the frame", 1.5, 2.5, true, total, 0},
        {"wholly before the frame", -2.0, -1.0, true, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const ExportStretch s = SelectExportStretch(time.data(), total, c.a, c.b, rate);
        EXPECT_EQ(s.refused, c.refused);
        EXPECT_EQ(s.first, c.first);
        if (c.refused)
            continue;
        EXPECT_EQ(s.count, c.count);
        EXPECT_EQ(SegmentSampleCount(rate, s.duration), s.count);
        EXPECT_LE(s.first + s.count, total);
    }
}

TEST(SelectExportStretch, ShortenedDurationNeverAsksForUnreadSamplesAtAnyRate)
{
    // Odd rates write R' = R - 1; the shortened duration must still fit what was read.
    for (uint32_t rate : {999u, 1000u, 40001u, 40590u, 44100u}) {
        const int total = static_cast<int>(rate);
        const auto time = FrameTimes(total, rate, 0.0);
        for (double a : {0.0, 0.1, 0.37, 0.5}) {
            const ExportStretch s = SelectExportStretch(time.data(), total, a, 5.0, rate);
            ASSERT_FALSE(s.refused) << rate << " " << a;
            EXPECT_LE(s.first + s.count, total) << rate << " " << a;
            EXPECT_EQ(SegmentSampleCount(rate, s.duration), s.count);
        }
    }
}

}   // namespace
