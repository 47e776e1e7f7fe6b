// The ranges a constant must lie in before it reaches the sample decoding or the numerics.
// Every place a constant enters (the settings store, the settings dialog, INI import, the
// batch tool's options) checks it here, so a value that would overflow the decoding or make
// the intensity silently zero is refused where the user typed it, not discovered later.
#pragma once

#include "Settings.h"

#include <array>
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

// The values that enter with a recording or a survey, bounded so that the squares and products
// of six channels over the longest stretch a reader takes (2^31 samples), through the widest
// constants above, stay finite doubles.
namespace setting_limits {
// Volts of an audio file's full-scale sample.
constexpr double kFullScaleMin = 1e-9;
constexpr double kFullScaleMax = 1e6;
// The magnitude of a sample as a file stores it: ADC steps in a segment, full scales in an
// audio file.
constexpr double kSampleMagnitudeMax = 1e30;
// The area a survey point stands for, m^2 (above 0).
constexpr double kSurveyAreaMax = 1e6;
}

bool IsValidFullScale(double volts);
bool IsValidSample(double value);   // finite and within kSampleMagnitudeMax
bool IsValidSurveyArea(double squareMetres);
std::string SurveyAreaMaxText();   // "1000000 m²"
// Makes a survey normal unit length; false (normal untouched) where a component is not finite
// or the vector's length is zero, subnormal or beyond a double.
bool NormaliseSurveyNormal(std::array<double, 3>& normal);

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
