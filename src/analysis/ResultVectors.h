// The result of one band calculation of the processing window, as it is handed to the
// intensity-vector window TRaschet, which passes it on to the calculation table TTabl and
// the 3-D view TD3x. Plain data: the processing window fills it without any window code.
//
// How the processing window uses it:
//
//     IntensityResult result;
//     result.I = {Ix, Iy, Iz};   result.J = {Jx, Jy, Jz};    // W/m^2
//     result.K = {Kx, Ky, Kz};   result.P = {Px, Py, Pz};    // J/m^3 (P is the potential energy П)
//     result.maxI = ...;  result.maxJ = ...;                   // half-widths of the charts, W/m^2
//     result.bandText = "...";                                 // UTF-8, shown and exported as is
//     TRaschet window(this, result);       // draws the result at once
//     window.exec();
//
// maxI and maxJ: for an impulse, the values IntegrateBand returns (1.5 times the largest band
// magnitude); for a periodic signal, LargestMagnitude(result.I) and LargestMagnitude(result.J).
// They must be magnitudes: a signed maximum of components that are all negative would be
// negative or smaller than the vector. The windows defend themselves anyway (see
// ChartHalfWidth), so a half-width that does not fit the vector never puts it off its chart.
#pragma once

#include <array>
#include <string>

struct IntensityResult {
    std::array<double, 3> I{};   // active intensity (x, y, z), W/m^2
    std::array<double, 3> J{};   // reactive intensity, W/m^2
    std::array<double, 3> K{};   // kinetic energy density, J/m^3
    std::array<double, 3> P{};   // potential energy density (П), J/m^3
    double maxI = 0.0;           // half-width of the axes of the three active charts
    double maxJ = 0.0;           // half-width of the axes of the three reactive charts
    std::string bandText;        // names the frequency band; UTF-8
    // One sentence when the band lies beyond what the probe measures well (ProbeLimitTextRu);
    // empty otherwise. The numbers above are left as they are.
    std::string limitWarning;
};

// I then J: the six-component block the 3-D view is given.
std::array<double, 6> ActiveReactiveBlock(const IntensityResult& result);

// The largest magnitude among the components; 0 when all are 0. Components that are not
// finite are passed over, so one undefined value does not make every chart undefined.
double LargestMagnitude(const std::array<double, 3>& v);

// The half-width a chart or the 3-D view draws with, given the half-width it was handed and
// the components it shows: the magnitude of the given value, widened to the largest component
// magnitude if it is smaller, and 1.0 when that still leaves nothing (a zero vector), so no
// axis range is empty and nothing is divided by zero.
double ChartHalfWidth(double given, const std::array<double, 3>& components);
