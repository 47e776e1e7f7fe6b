#include "SettingLimits.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

TEST(SettingLimits, RefusesWhatWouldBreakTheDecodingOrTheNumerics)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* key;
        double value;
        bool valid;
    };
    const Case cases[] = {
        {"NULL_ADC", 1120, true},
        {"NULL_ADC", 0, true},
        {"NULL_ADC", 16383, true},
        {"NULL_ADC", 16384, false},
        {"NULL_ADC", -2147483648.0, false},
        {"NULL_ADC", 0.5, false},
        {"VOLT", 0.00263, true},
        {"VOLT", nan, false},
        {"VOLT", 0, false},
        {"plotnost", 1.21, true},
        {"plotnost", -1.4, false},
        {"plotnost", -inf, false},
        {"plotnost", 1e-320, false},
        {"skorost", 343, true},
        {"skorost", 0, false},
        {"lmic1", 0.012, true},
        {"lmic3", 0, false},
        {"Chuv6", 50, true},
        {"Chuv1", 0, false},
        {"Chuv2", inf, false},
        {"FI_Z", nan, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsValidConstant(c.key, c.value), c.valid) << c.key << " = " << c.value;
}

TEST(SettingLimits, RepairReplacesEachBadConstantByItsDefaultAndNamesIt)
{
    Settings s = DefaultSettings();
    s.VOLT = std::nan("");
    s.lmic[1] = 0.0;
    s.Chuv[4] = -3.0;
    s.plotnost = 1.21;
    const std::vector<std::string> refused = RepairConstants(s);
    EXPECT_EQ(refused, (std::vector<std::string>{"VOLT", "lmic2", "Chuv5"}));
    const Settings def = DefaultSettings();
    EXPECT_EQ(s.VOLT, def.VOLT);
    EXPECT_EQ(s.lmic[1], def.lmic[1]);
    EXPECT_EQ(s.Chuv[4], def.Chuv[4]);
    EXPECT_EQ(s.plotnost, 1.21);
    EXPECT_TRUE(RepairConstants(s).empty());
}

TEST(SettingLimits, RecordingAndSurveyValuesStayWhereTheArithmeticIsFinite)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_TRUE(IsValidFullScale(1.0));
    for (double volts : {1e308, 1e-300, 1e-320, 0.0, -1.0, nan, 2e6})
        EXPECT_FALSE(IsValidFullScale(volts)) << volts;
    EXPECT_TRUE(IsValidSample(-1e30));
    EXPECT_TRUE(IsValidSample(1e-320));
    for (double sample : {1e308, -1.1e30, inf, nan})
        EXPECT_FALSE(IsValidSample(sample)) << sample;
    EXPECT_TRUE(IsValidSurveyArea(1e6));
    for (double area : {1e308, 0.0, -1.0, inf, nan})
        EXPECT_FALSE(IsValidSurveyArea(area)) << area;

    struct Case {
        std::array<double, 3> normal;
        bool valid;
        std::array<double, 3> unit;
    };
    const double half = std::sqrt(0.5), third = std::sqrt(1.0 / 3.0);
    const Case cases[] = {
        {{1e200, 1e200, 0}, true, {half, half, 0}},   // its length overflows as a sum of squares
        {{1e-200, 0, -1e-200}, true, {half, 0, -half}},
        {{0, -2, 0}, true, {0, -1, 0}},
        {{0, 0, 0}, false, {}},
        {{1e-320, 0, 0}, false, {}},   // a subnormal length
        {{1e308, 1e308, 1e308}, true, {third, third, third}},
        {{1.5e308, 1.5e308, 0}, false, {}},   // a length beyond the doubles
        {{inf, 0, 0}, false, {}},
        {{nan, 1, 0}, false, {}},
    };
    for (const Case& c : cases) {
        std::array<double, 3> normal = c.normal;
        EXPECT_EQ(NormaliseSurveyNormal(normal), c.valid) << c.normal[0];
        for (size_t k = 0; k < 3 && c.valid; ++k)
            EXPECT_NEAR(normal[k], c.unit[k], 1e-15) << c.normal[0];
    }
}
