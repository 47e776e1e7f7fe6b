// Frame size, display scale factors and the export's choice of stretch.
#include "Filters.h"
#include "PlaybackFrame.h"
#include "Segment.h"

#include <gtest/gtest.h>

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
