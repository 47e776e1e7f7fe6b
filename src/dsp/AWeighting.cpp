#include "AWeighting.h"

#include <cmath>

namespace {
constexpr double kF1 = 20.6;
constexpr double kF2 = 107.7;
constexpr double kF3 = 737.9;
constexpr double kF4 = 12194.0;

// R_A(f)^2, so the power factor needs no square root of a square.
double responseSquared(double f)
{
    const double f2 = f * f;
    const double numerator = kF4 * kF4 * f2 * f2;
    const double denominator =
        (f2 + kF1 * kF1) * std::sqrt((f2 + kF2 * kF2) * (f2 + kF3 * kF3)) * (f2 + kF4 * kF4);
    const double r = numerator / denominator;
    return r * r;
}
}

double AWeightingDb(double frequencyHz)
{
    return 10.0 * std::log10(responseSquared(frequencyHz)) + 2.0;
}

double AWeightingPowerFactor(double frequencyHz)
{
    // 10^(2.00 / 10): the +2.00 dB that puts 1 kHz at 0 dB.
    return responseSquared(frequencyHz) * std::pow(10.0, 0.2);
}
