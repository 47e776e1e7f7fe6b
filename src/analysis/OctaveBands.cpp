#include "OctaveBands.h"

#include "FrequencyAxis.h"

#include "AWeighting.h"
#include "CoreText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

// The R10 series within a decade, in hundredths: one-third-octave band 10 d + r is
// kR10[r] / 100 x 10^(3 + d) Hz. Whole numbers, so the nominal frequency comes out as the
// number it is written as (31.5, not 31.499999999999996).
constexpr double kR10[10] = {100, 125, 160, 200, 250, 315, 400, 500, 630, 800};

bool validFraction(int fraction)
{
    return fraction == 1 || fraction == 3;
}

// 1000 G^(halfSteps / (2 fraction)) with G = 10^(3/10). The exponent is a quotient of two
// integers, so the edge two neighbouring bands share is the same number for both, and the
// bands tile the axis without gap or overlap.
double bandFrequency(int fraction, int halfSteps)
{
    return 1000.0 * std::pow(10.0, (3.0 * halfSteps) / (20.0 * fraction));
}

int floorDiv(int a, int b)
{
    const int q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// The first bin whose frequency is at or above hz.
int firstBinFrom(const IntensitySpectraView& spectra, double hz)
{
    return FirstBinAtOrAbove(spectra.frequency, spectra.bins, hz);
}

// Plain sums over bins first ... end - 1: index 3 g + a the twelve spectra, and 12 the sum of
// f^2 (dr_x^2 K_x + dr_y^2 K_y + dr_z^2 K_z) that the mean-square pressure needs. All in one
// pass, so each bin is read once however long the spectra.
using RawSums = std::array<double, 13>;

RawSums sumBins(const IntensitySpectraView& spectra, const std::array<double, 3>& drSquared, int first,
                int end)
{
    RawSums s{};
    const auto& v = spectra.values;
    const double* f = spectra.frequency;
    for (int i = first; i < end; ++i) {
        for (int q = 0; q < 12; ++q)
            s[q] += v[q][i];
        s[12] += f[i] * f[i] * (drSquared[0] * v[6][i] + drSquared[1] * v[7][i] + drSquared[2] * v[8][i]);
    }
    return s;
}

BandQuantities scaled(const RawSums& s, const BandAnalysisOptions& options, double df)
{
    // A periodic signal's window widens each line over ENBW bins' worth of power; an
    // impulse's spectra are densities, integrated over the band.
    const double factor = options.periodic ? 1.0 / options.windowEnbw : df;
    BandQuantities q;
    std::array<double, 3>* groups[4] = {&q.active, &q.reactive, &q.kinetic, &q.potential};
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            (*groups[g])[a] = s[3 * g + a] * factor;
    // The pressure at the microphones without a second transform: for a pair p, q with
    // S = P_p + P_q and D = P_p - P_q, |P_p|^2 + |P_q|^2 = (|S|^2 + |D|^2) / 2, where the
    // spectra give |S|^2 = 16 rho c^2 П and |D|^2 = 16 pi^2 f^2 rho dr^2 K. The mean over the
    // pair of |P|^2 / 2 (the mean square of a peak amplitude) is then (|S|^2 + |D|^2) / 8
    // = 2 rho (c^2 П + pi^2 f^2 dr^2 K), and the mean over the six microphones is the mean
    // of that over the three axes.
    const double rho = options.density;
    const double c = options.soundSpeed;
    const double sumP = s[9] + s[10] + s[11];
    q.meanSquarePressure = 2.0 * rho * (c * c * sumP + kPi * kPi * s[12]) / 3.0 * factor;
    return q;
}

void add(BandQuantities& to, const BandQuantities& q, double weight)
{
    for (int a = 0; a < 3; ++a) {
        to.active[a] += weight * q.active[a];
        to.reactive[a] += weight * q.reactive[a];
        to.kinetic[a] += weight * q.kinetic[a];
        to.potential[a] += weight * q.potential[a];
    }
    to.meanSquarePressure += weight * q.meanSquarePressure;
}

BandFigures figuresOf(const BandQuantities& values)
{
    BandFigures f;
    f.values = values;
    f.active = ComputeVectorAngles(values.active);
    f.reactive = ComputeVectorAngles(values.reactive);
    f.levels = LevelsOf(values);
    return f;
}

std::optional<double> levelOf(double value, double reference)
{
    if (!std::isfinite(value) || !(value > 0.0))
        return std::nullopt;
    return 10.0 * std::log10(value / reference);
}

std::string label(double hz)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%g", hz);
    return buf;
}

std::array<double, 3> squares(const std::array<double, 3>& v)
{
    return {v[0] * v[0], v[1] * v[1], v[2] * v[2]};
}

}   // namespace

BandEdges FractionalOctaveBand(int fraction, int index)
{
    if (!validFraction(fraction))
        return {};
    return {bandFrequency(fraction, 2 * index - 1), bandFrequency(fraction, 2 * index),
            bandFrequency(fraction, 2 * index + 1)};
}

double NominalMidFrequency(int fraction, int index)
{
    if (!validFraction(fraction))
        return 0.0;
    const int third = index * (3 / fraction);
    const int decade = floorDiv(third, 10);
    const int exponent = decade + 1;
    const double mantissa = kR10[third - 10 * decade];
    return exponent >= 0 ? mantissa * std::pow(10.0, exponent) : mantissa / std::pow(10.0, -exponent);
}

BandLevels LevelsOf(const BandQuantities& values)
{
    BandLevels levels;
    const auto& I = values.active;
    levels.intensity = levelOf(std::sqrt(I[0] * I[0] + I[1] * I[1] + I[2] * I[2]), kReferenceIntensity);
    levels.pressure = levelOf(values.meanSquarePressure, kReferencePressure * kReferencePressure);
    if (levels.intensity && levels.pressure)
        levels.index = *levels.pressure - *levels.intensity;
    return levels;
}

BandQuantities SumOverRange(const IntensitySpectraView& spectra, const BandAnalysisOptions& options,
                            double loHz, double hiHz)
{
    if (spectra.bins < 2 || spectra.frequency == nullptr)
        return {};
    const int first = firstBinFrom(spectra, loHz);
    const int end = std::max(first, firstBinFrom(spectra, hiHz));
    const double df = spectra.frequency[1] - spectra.frequency[0];
    return scaled(sumBins(spectra, squares(options.spacings), first, end), options, df);
}

BandAnalysis AnalyseOctaveBands(const IntensitySpectraView& spectra, const BandAnalysisOptions& options)
{
    BandAnalysis out;
    out.fraction = options.fraction;
    const int b = options.fraction;
    if (!validFraction(b) || spectra.bins < 2 || spectra.frequency == nullptr)
        return out;
    const double df = spectra.frequency[1] - spectra.frequency[0];
    const double lowest = spectra.frequency[1];
    const double nyquist = spectra.bins * df;
    if (!(lowest > 0.0) || !std::isfinite(nyquist))
        return out;

    // The first band whose lower edge is above f[1], the last whose upper edge is below the
    // Nyquist frequency: a guess from the logarithm, then settled on the edges themselves.
    const double bandsPerDecade = 10.0 * b / 3.0;
    int xFirst = static_cast<int>(std::floor(bandsPerDecade * std::log10(lowest / 1000.0))) - 2;
    while (!(bandFrequency(b, 2 * xFirst - 1) > lowest))
        ++xFirst;
    int xLast = static_cast<int>(std::ceil(bandsPerDecade * std::log10(nyquist / 1000.0))) + 2;
    while (xLast >= xFirst && !(bandFrequency(b, 2 * xLast + 1) < nyquist))
        --xLast;

    const double c = options.soundSpeed;
    const auto drSquared = squares(options.spacings);
    BandQuantities total, totalA;
    for (int x = xFirst; x <= xLast; ++x) {
        const BandEdges edges = FractionalOctaveBand(b, x);
        const double nominal = NominalMidFrequency(b, x);
        if (options.range.given && !(nominal >= options.range.lo && nominal <= options.range.hi))
            continue;
        OctaveBand band;
        band.index = x;
        band.lowerHz = edges.lowerHz;
        band.midHz = edges.midHz;
        band.upperHz = edges.upperHz;
        band.nominalHz = nominal;
        band.label = label(band.nominalHz);
        band.firstBin = firstBinFrom(spectra, edges.lowerHz);
        band.endBin = firstBinFrom(spectra, edges.upperHz);
        BandQuantities q = scaled(sumBins(spectra, drSquared, band.firstBin, band.endBin), options, df);

        for (int a = 0; a < 3; ++a) {
            const double dr = options.spacings[a];
            if (!(dr > 0.0) || !(c > 0.0))
                continue;
            if (2.0 * kPi * edges.upperHz * dr / c > 1.0)
                band.cautions |= kBandCautionSpacing;
            const double kdr = 2.0 * kPi * edges.midHz * dr / c;
            if (options.correctFiniteDifference && kdr < kPi / 2.0) {
                const double factor = kdr / std::sin(kdr);
                q.active[a] *= factor;
                q.reactive[a] *= factor;
                band.corrected = true;
            }
        }
        band.figures = figuresOf(q);
        const auto& index = band.figures.levels.index;
        if (options.residualIndexDb && index && *index > *options.residualIndexDb - 7.0)
            band.cautions |= kBandCautionDynamic;

        add(total, q, 1.0);
        add(totalA, q, AWeightingPowerFactor(edges.midHz));
        out.bands.push_back(std::move(band));
    }
    out.total = figuresOf(total);
    out.totalA = figuresOf(totalA);
    return out;
}

std::string BandCautionTextRu(unsigned cautions, bool translated)
{
    const auto sentence = [translated](const char* source) {
        return translated ? CoreText("OctaveBands", source) : std::string(source);
    };
    std::string text;
    if (cautions & kBandCautionSpacing)
        text +=
            sentence(SONORIX_TEXT_NOOP("OctaveBands", "На верхней границе полосы kΔr > 1 для одной из пар: "
                                                      "погрешность конечной разности может превышать 1 дБ."));
    if (cautions & kBandCautionDynamic) {
        if (!text.empty())
            text += ' ';
        text +=
            sentence(SONORIX_TEXT_NOOP("OctaveBands", "δpI больше δpI0 − 7 дБ: динамический диапазон зонда "
                                                      "недостаточен для 3-го класса точности."));
    }
    return text;
}

std::string BandCautionTextEn(unsigned cautions)
{
    std::string text;
    if (cautions & kBandCautionSpacing)
        text += "k*dr > 1 at the band's upper edge for one of the pairs: the finite-difference "
                "error may exceed 1 dB.";
    if (cautions & kBandCautionDynamic) {
        if (!text.empty())
            text += ' ';
        text += "delta_pI exceeds delta_pI0 - 7 dB: the probe's dynamic capability for accuracy "
                "grade 3 is exceeded.";
    }
    return text;
}
