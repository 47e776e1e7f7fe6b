#include "SettingLimits.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {
// Wide enough for any instrument or medium a probe is used in, narrow enough that no
// product or quotient of them over- or underflows a double in the intensity formulas.
struct Range {
    double lo;
    double hi;
};
constexpr Range kVolt{1e-12, 1e6};
constexpr Range kDensity{1e-6, 1e5};
constexpr Range kSoundSpeed{1e-3, 1e6};
constexpr Range kSpacing{1e-6, 1e3};
constexpr Range kSensitivity{1e-9, 1e9};

bool within(double v, Range r)
{
    return std::isfinite(v) && v >= r.lo && v <= r.hi;
}

bool numbered(const std::string& key, const char* stem, int count, int& index)
{
    const std::string s(stem);
    if (key.size() != s.size() + 1 || key.compare(0, s.size(), s) != 0)
        return false;
    const int n = key.back() - '0';
    if (n < 1 || n > count)
        return false;
    index = n - 1;
    return true;
}
}

bool IsValidNullAdc(int64_t code)
{
    return code >= setting_limits::kNullAdcMin && code <= setting_limits::kNullAdcMax;
}

bool IsValidVolt(double v)
{
    return within(v, kVolt);
}
bool IsValidDensity(double v)
{
    return within(v, kDensity);
}
bool IsValidSoundSpeed(double v)
{
    return within(v, kSoundSpeed);
}
bool IsValidSpacing(double v)
{
    return within(v, kSpacing);
}
bool IsValidSensitivity(double v)
{
    return within(v, kSensitivity);
}

bool IsValidFullScale(double volts)
{
    return within(volts, {setting_limits::kFullScaleMin, setting_limits::kFullScaleMax});
}

bool IsValidSample(double value)
{
    return std::isfinite(value) && std::fabs(value) <= setting_limits::kSampleMagnitudeMax;
}

bool IsValidSurveyArea(double squareMetres)
{
    return std::isfinite(squareMetres) && squareMetres > 0 && squareMetres <= setting_limits::kSurveyAreaMax;
}

std::string SurveyAreaMaxText()
{
    char text[32];
    std::snprintf(text, sizeof text, "%.0f m\u00B2", setting_limits::kSurveyAreaMax);
    return text;
}

bool NormaliseSurveyNormal(std::array<double, 3>& normal)
{
    for (double v : normal)
        if (!std::isfinite(v))
            return false;
    // hypot scales, so (1e200, 1e200, 0) has its length, not an overflow.
    const double length = std::hypot(normal[0], normal[1], normal[2]);
    if (!std::isfinite(length) || !(length >= std::numeric_limits<double>::min()))
        return false;
    for (double& v : normal)
        v /= length;
    return true;
}

bool IsValidConstant(const std::string& key, double value)
{
    int i = 0;
    if (key == "VOLT")
        return IsValidVolt(value);
    if (key == "NULL_ADC")
        return std::isfinite(value) && value == std::trunc(value) &&
               IsValidNullAdc(static_cast<int64_t>(value));
    if (key == "plotnost")
        return IsValidDensity(value);
    if (key == "skorost")
        return IsValidSoundSpeed(value);
    if (numbered(key, "lmic", 3, i))
        return IsValidSpacing(value);
    if (numbered(key, "Chuv", 6, i))
        return IsValidSensitivity(value);
    return true;
}

std::vector<std::string> RepairConstants(Settings& s)
{
    const Settings def = DefaultSettings();
    std::vector<std::string> refused;
    auto fix = [&](const std::string& key, auto& value, auto fallback, bool ok) {
        if (!ok) {
            value = fallback;
            refused.push_back(key);
        }
    };
    fix("VOLT", s.VOLT, def.VOLT, IsValidVolt(s.VOLT));
    fix("NULL_ADC", s.NULL_ADC, def.NULL_ADC, IsValidNullAdc(s.NULL_ADC));
    fix("plotnost", s.plotnost, def.plotnost, IsValidDensity(s.plotnost));
    fix("skorost", s.skorost, def.skorost, IsValidSoundSpeed(s.skorost));
    for (int k = 0; k < 3; ++k)
        fix("lmic" + std::to_string(k + 1), s.lmic[k], def.lmic[k], IsValidSpacing(s.lmic[k]));
    for (int k = 0; k < 6; ++k)
        fix("Chuv" + std::to_string(k + 1), s.Chuv[k], def.Chuv[k], IsValidSensitivity(s.Chuv[k]));
    return refused;
}

std::string ConstantRangeText(const std::string& key)
{
    int i = 0;
    auto range = [](Range r) {
        char buf[96];
        std::snprintf(buf, sizeof buf, "a number from %g to %g", r.lo, r.hi);
        return std::string(buf);
    };
    if (key == "NULL_ADC")
        return "a whole number from " + std::to_string(setting_limits::kNullAdcMin) + " to " +
               std::to_string(setting_limits::kNullAdcMax);
    if (key == "VOLT")
        return range(kVolt);
    if (key == "plotnost")
        return range(kDensity);
    if (key == "skorost")
        return range(kSoundSpeed);
    if (numbered(key, "lmic", 3, i))
        return range(kSpacing);
    if (numbered(key, "Chuv", 6, i))
        return range(kSensitivity);
    return "any value";
}

bool ConstantRange(const std::string& key, double& lo, double& hi)
{
    int i = 0;
    Range r{};
    if (key == "NULL_ADC")
        r = {double(setting_limits::kNullAdcMin), double(setting_limits::kNullAdcMax)};
    else if (key == "VOLT")
        r = kVolt;
    else if (key == "plotnost")
        r = kDensity;
    else if (key == "skorost")
        r = kSoundSpeed;
    else if (numbered(key, "lmic", 3, i))
        r = kSpacing;
    else if (numbered(key, "Chuv", 6, i))
        r = kSensitivity;
    else
        return false;
    lo = r.lo;
    hi = r.hi;
    return true;
}
