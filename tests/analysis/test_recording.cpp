// The one rule that turns a recording's samples into pascals, for every kind of recording and
// every way of asking, and the sensitivities the program reads back from an audio comment.
#include "Recording.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr double kFixed = 0.1220703125;

// VOLT 0.005, and a channel order that is not the identity: channel k takes slot Chs[k], so the
// settings' sensitivities of channels 1 ... 6 are 20, 10, 8, 5, 4, 2 mV/Pa.
Settings ProbeSettings()
{
    Settings s = DefaultSettings();
    s.VOLT = 0.005;
    s.Chuv = {2.0, 4.0, 5.0, 8.0, 10.0, 20.0};
    s.Chs = {5, 4, 3, 2, 1, 0};
    return s;
}

// A scale as the reader of a file leaves it: a segment's stored sensitivities of 25 mV/Pa, or an
// audio file whose comment holds 40 mV/Pa, or none.
RecordingScale FileScale(RecordingKind kind, bool withFileSensitivities)
{
    RecordingScale scale;
    scale.kind = kind;
    scale.voltsPerUnit = kind == RecordingKind::Audio ? 1.0 : 0.005;
    if (withFileSensitivities) {
        scale.sensitivity.fill(kind == RecordingKind::Segment ? 25.0 : 40.0);
        scale.sensitivitySource.fill(kind == RecordingKind::Segment ? PascalSource::SegmentFile
                                                                    : PascalSource::AudioComment);
    }
    return scale;
}

}   // namespace

TEST(Recording, OneRuleDecidesEveryChannelsPascals)
{
    using K = RecordingKind;
    using S = PascalSource;
    const std::array<double, 6> bySettingsSteps{0.25, 0.5, 0.625, 1.0, 1.25, 2.5};   // 5 V / sensitivity
    const std::array<double, 6> bySettingsVolts{50.0, 100.0, 125.0, 200.0, 250.0, 500.0};
    const std::array<double, 6> fixed{kFixed, kFixed, kFixed, kFixed, kFixed, kFixed};
    struct Case {
        const char* name;
        K kind;
        bool fileSensitivities, calibrated, typed;
        std::array<double, 6> factor;
        S source;
    };
    const Case cases[] = {
        {"segment", K::Segment, true, false, false, fixed, S::FixedFactor},
        {"segment, typed but not calibrated", K::Segment, true, false, true, fixed, S::FixedFactor},
        {"segment, calibrated: its own microphones",
         K::Segment,
         true,
         true,
         false,
         {0.2, 0.2, 0.2, 0.2, 0.2, 0.2},
         S::SegmentFile},
        {"segment, calibrated and typed", K::Segment, true, true, true, bySettingsSteps, S::Option},
        {"audio: the settings'", K::Audio, false, false, false, bySettingsVolts, S::Settings},
        {"audio, calibrated: the same", K::Audio, false, true, false, bySettingsVolts, S::Settings},
        {"audio with its comment", K::Audio, true, false, false, {25, 25, 25, 25, 25, 25}, S::AudioComment},
        {"audio with its comment, typed", K::Audio, true, true, true, bySettingsVolts, S::Option},
        {"test signal, whatever is asked",
         K::TestSignal,
         false,
         true,
         true,
         {2, 2, 2, 2, 2, 2},
         S::TestSignal},
    };
    const Settings settings = ProbeSettings();
    for (const Case& c : cases) {
        RecordingScale scale = FileScale(c.kind, c.fileSensitivities);
        PascalRequest request;
        request.calibrated = c.calibrated;
        request.sensitivitiesFromOption = c.typed;
        EXPECT_EQ(DecidePascals(scale, settings, request), "") << c.name;
        for (size_t k = 0; k < 6; ++k) {
            EXPECT_DOUBLE_EQ(scale.pascalPerUnit[k], c.factor[k]) << c.name << ", channel " << k + 1;
            EXPECT_EQ(scale.pascalSource[k], c.source) << c.name << ", channel " << k + 1;
        }
        EXPECT_EQ(scale.uniform(),
                  c.factor == fixed || c.kind == K::TestSignal || (c.fileSensitivities && !c.typed))
            << c.name;
    }
}

// A sensitivity that cannot give a finite positive factor: a segment's channel keeps the fixed
// factor and is named; an audio file's is named too, for there is nothing to fall back on.
TEST(Recording, AnUnusableSensitivityIsNamed)
{
    struct Case {
        const char* name;
        double sensitivity;
        int32_t slot;
    };
    for (const Case& c :
         {Case{"zero", 0.0, 0}, Case{"negative", -3.0, 0},
          Case{"not a number", std::numeric_limits<double>::quiet_NaN(), 0},
          Case{"so small the factor is infinite", 1e-320, 0}, Case{"map out of range", 2.0, 9}}) {
        Settings s = ProbeSettings();
        s.Chs[0] = c.slot;
        s.Chuv[static_cast<size_t>(c.slot % 6)] = c.sensitivity;
        PascalRequest request{true, true};
        RecordingScale segment = FileScale(RecordingKind::Segment, true);
        const std::string said = DecidePascals(segment, s, request);
        EXPECT_NE(said.find('1'), std::string::npos) << c.name << ": " << said;
        EXPECT_EQ(segment.pascalPerUnit[0], kFixed) << c.name;
        EXPECT_EQ(segment.pascalSource[0], PascalSource::FixedFactor) << c.name;
        EXPECT_DOUBLE_EQ(segment.pascalPerUnit[1], 0.5) << c.name;

        RecordingScale audio = FileScale(RecordingKind::Audio, false);
        EXPECT_FALSE(DecidePascals(audio, s, {}).empty()) << c.name;
    }
}

TEST(Recording, TheProgramsOwnCommentGivesTheSensitivities)
{
    const std::array<double, 6> written{50, 40, 30, 20, 10, 5.5};
    EXPECT_EQ(CommentSensitivities("microphones=1..6; rate_hz=48000; sensitivities_mv_pa=50,40,30,20,10,5.5; "
                                   "full_scale_v=1"),
              written);
    for (const char* comment :
         {"", "recorded on site", "sensitivities_mv_pa=50,40,30", "sensitivities_mv_pa=50,40,30,20,10,0",
          "sensitivities_mv_pa=50,40,30,20,10,x", "sensitivities_mv_pa=50;40;30;20;10;5"})
        EXPECT_FALSE(CommentSensitivities(comment)) << comment;
}
