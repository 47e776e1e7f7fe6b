#include "ProbeLimits.h"

#include <gtest/gtest.h>

#include <numbers>

TEST(ProbeLimits, BandAboveKdrOneOfTheWidestPairIsFlagged)
{
    // c = 340, dr = 0.5: k dr = 1 at 108.2 Hz.
    const std::array<double, 3> spacings{0.05, 0.5, 0.05};
    const double limit = 340.0 / (2 * std::numbers::pi * 0.5);
    struct Case {
        double hi;
        bool flagged;
    };
    for (const Case c :
         {Case{100.0, false}, Case{limit - 0.01, false}, Case{limit + 0.01, true}, Case{500.0, true}}) {
        const ProbeLimitCheck check = CheckProbeLimits(c.hi, spacings, 340.0, 1.0, -1);
        EXPECT_EQ(check.aboveSpacingLimit, c.flagged) << c.hi;
        EXPECT_EQ(check.spacingLimitAxis, 1);
        EXPECT_NEAR(check.spacingLimitHz, limit, 1e-9);
        EXPECT_EQ(ProbeLimitTextEn(check).empty(), !c.flagged);
        EXPECT_EQ(ProbeLimitTextRu(check).empty(), !c.flagged);
    }
}

TEST(ProbeLimits, LowLineWithWindowWiderThanHanningIsFlagged)
{
    const std::array<double, 3> spacings{0.01, 0.01, 0.01};
    struct Case {
        double enbw;
        int bin;
        bool flagged;
    };
    for (const Case c :
         {Case{1.0, 3, false}, Case{1.5, 3, false}, Case{1.36, 10, false}, Case{3.77, 10, true},
          Case{1.73, 19, true}, Case{3.77, 20, false}, Case{3.77, -1, false}}) {
        const ProbeLimitCheck check = CheckProbeLimits(50.0, spacings, 340.0, c.enbw, c.bin);
        EXPECT_EQ(check.wideWindowNearZero, c.flagged) << c.enbw << " " << c.bin;
        EXPECT_FALSE(check.aboveSpacingLimit);
        EXPECT_EQ(check.any(), c.flagged);
    }
    const std::string text = ProbeLimitTextEn(CheckProbeLimits(6000.0, spacings, 340.0, 3.77, 10));
    EXPECT_NE(text.find("5411"), std::string::npos) << text;
    EXPECT_NE(text.find("bin 10"), std::string::npos) << text;
}
