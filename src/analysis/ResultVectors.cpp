#include "ResultVectors.h"

#include <algorithm>
#include <cmath>

std::array<double, 6> ActiveReactiveBlock(const IntensityResult& result)
{
    return {result.I[0], result.I[1], result.I[2], result.J[0], result.J[1], result.J[2]};
}

double LargestMagnitude(const std::array<double, 3>& v)
{
    double largest = 0.0;
    for (double c : v)
        if (std::isfinite(c))
            largest = std::max(largest, std::fabs(c));
    return largest;
}

double ChartHalfWidth(double given, const std::array<double, 3>& components)
{
    double half = std::isfinite(given) ? std::fabs(given) : 0.0;
    half = std::max(half, LargestMagnitude(components));
    return half > 0.0 ? half : 1.0;
}
