// The number and code-page forms every file writer shares, and the form each writer keeps for a
// zero with its sign bit set, as its files have always held it.
#include "FileText.h"
#include "ResultText.h"
#include "SurveyFile.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

TEST(FileText, ShortestNumberReadsBackAndWritesZeroAsAsked)
{
    struct Case {
        double value;
        const char* minus;
        const char* plain;
    };
    const double inf = std::numeric_limits<double>::infinity();
    const std::vector<Case> cases = {
        {0.0, "0", "0"},
        {-0.0, "-0", "0"},
        {0.1, "0.1", "0.1"},
        {-2.5, "-2.5", "-2.5"},
        {1e300, "1e+300", "1e+300"},
        {5e-324, "5e-324", "5e-324"},
        {inf, "inf", "inf"},
        {-inf, "-inf", "-inf"},
        {std::nan(""), "nan", "nan"},
        {-std::nan(""), "nan", "nan"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortestNumber(c.value, SignedZero::Minus), c.minus) << c.value;
        EXPECT_EQ(ShortestNumber(c.value, SignedZero::Plain), c.plain) << c.value;
        EXPECT_EQ(ShortestNumberText(c.value, SignedZero::Minus), QString::fromLatin1(c.minus)) << c.value;
    }
    const double third = 1.0 / 3.0;
    EXPECT_EQ(std::stod(ShortestNumber(third, SignedZero::Plain)), third);
}

TEST(FileText, EachWriterKeepsItsFormOfNegativeZero)
{
    // The plain intensity texts never wrote "-0".
    EXPECT_EQ(PlainNumberText(-0.0), QStringLiteral("0"));
    EXPECT_EQ(PlainNumberText(-1.25), QStringLiteral("-1.25"));
    // The survey file writes a normal's components as they are, sign of zero included.
    std::vector<SurveyPoint> points(1);
    points[0].file = "a.kvnb";
    points[0].area = 0.5;
    points[0].normal = {-0.0, 0.6, 0.8};
    EXPECT_EQ(SurveyToCsv(points), "file,area,nx,ny,nz,label\na.kvnb,0.5,-0,0.6,0.8,\n");
}

TEST(FileText, CodePageSafeSpellsOutWhatWindows1251Lacks)
{
    EXPECT_EQ(CodePageSafe(QStringLiteral("F3 − F2 ≥ 3, C·F4², kΔr, δpI ≤ 7 — Гц")),
              QStringLiteral("F3 - F2 >= 3, C·F4^2, kdr, dpI <= 7 — Гц"));
}
