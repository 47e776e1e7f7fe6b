#include "SettingLimits.h"

#include <gtest/gtest.h>

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
