// The ranges a constant must lie in before it reaches the sample decoding or the numerics.
// Every place a constant enters (the settings store, the settings dialog, INI import, the
// batch tool's options) checks it here, so a value that would overflow the decoding or make
// the intensity silently zero is refused where the user typed it, not discovered later.
#pragma once

#include "Settings.h"

#include <cstdint>
#include <string>
#include <vector>

namespace setting_limits {
// The recording's sample codes are 14-bit, so its zero lies among them.
constexpr int64_t kNullAdcMin = 0;
constexpr int64_t kNullAdcMax = 0x3FFF;
}

bool IsValidNullAdc(int64_t code);
bool IsValidVolt(double voltsPerStep);   // volts per ADC step
bool IsValidDensity(double kgPerM3);     // air density
bool IsValidSoundSpeed(double metresPerSecond);
bool IsValidSpacing(double metres);   // microphone pair spacing
bool IsValidSensitivity(double mVPerPa);

// Checks the constant named by its store key ("VOLT", "NULL_ADC", "plotnost", "skorost",
// "lmic1".."lmic3", "Chuv1".."Chuv6"); keys of other settings are always valid.
bool IsValidConstant(const std::string& key, double value);

// Replaces every constant of `s` that is out of range by its default and returns the keys
// of those it replaced (sensitivities named by their logical channel, "Chuv1".."Chuv6").
std::vector<std::string> RepairConstants(Settings& s);

// A plain-words range for a key's message: "a number from 0 to 16383", "a positive number".
std::string ConstantRangeText(const std::string& key);

// The closed range [lo, hi] of a constant named by its store key, for callers that write the
// range in their own language and notation; false for keys of other settings.
bool ConstantRange(const std::string& key, double& lo, double& hi);
