// Octave and one-third-octave bands of the intensity spectra: the energy of each quantity in
// the base-ten bands of IEC 61260-1, its levels, the direction of the band's vectors, where
// the probe's estimate is doubtful, and the total over the bands, plain and A-weighted.
//
// A band holds the bins with lower <= f < upper, so neighbouring bands share no bin and a
// frequency on an edge belongs to the upper band. A band's value is an energy sum:
//     periodic signal: sum of the bins' values / window ENBW (bins), so a tone counts once
//                      whether it lies on a bin or between two, and noise with its power;
//     impulse:         sum of the bins' values x df, the integral of the spectral densities.
// The bands of a range therefore add up to SumOverRange of that range.
#pragma once

#include "BandReduction.h"
#include "ResultMath.h"

#include <array>
#include <optional>
#include <string>
#include <vector>

constexpr double kReferenceIntensity = 1e-12;   // W/m^2, 0 dB of L_I
constexpr double kReferencePressure = 2e-5;     // Pa, 0 dB of L_p

struct BandAnalysisOptions {
    int fraction = 3;                   // 1 octave bands, 3 one-third-octave bands; others: none
    bool periodic = true;               // false: an impulse (the spectra are densities per Hz)
    double windowEnbw = 1.0;            // ENBW of the spectra's window in bins (WindowItemEnbw)
    double density = 0.0;               // rho, kg/m^3
    double soundSpeed = 0.0;            // c, m/s
    std::array<double, 3> spacings{};   // dr of the x, y, z pairs, m
    // Reports the bands whose nominal mid frequency lies in lo ... hi (inclusive), so that
    // 20 ... 20000 keeps the 20 Hz band (exactly 19.95 Hz); without it every band that fits
    // the spectrum.
    FrequencyRange range;
    // Multiplies each axis's I and J by k dr / sin(k dr) at the band's exact mid frequency,
    // which undoes the finite difference's loss in a plane wave along that axis; only where
    // k dr < pi/2, beyond which the factor grows without bound.
    bool correctFiniteDifference = false;
    // The probe's pressure-residual intensity index delta_pI0, dB, when it is known.
    std::optional<double> residualIndexDb;
};

// The energy-like quantities of a band or of a range of bins, each component with its sign:
// I, J in W/m^2; K, П in J/m^3; the mean square of the pressure in Pa^2 (for an impulse all
// of them per unit of time squared, as the spectra are).
struct BandQuantities {
    std::array<double, 3> active{};      // I
    std::array<double, 3> reactive{};    // J
    std::array<double, 3> kinetic{};     // K
    std::array<double, 3> potential{};   // П
    // The mean over the six microphones of |P|^2 / 2, from the same spectra (see the .cpp).
    double meanSquarePressure = 0.0;
};

// Levels in dB; std::nullopt ("none") where the quantity is zero or not a finite number, so
// is the index when either level is none.
struct BandLevels {
    std::optional<double> intensity;   // L_I = 10 lg(|I| / 1e-12 W/m^2)
    std::optional<double> pressure;    // L_p = 10 lg(p^2 / (2e-5 Pa)^2)
    std::optional<double> index;       // delta_pI = L_p - L_I
};

// Why a band's figures are doubtful: bits of OctaveBand::cautions.
enum BandCaution : unsigned {
    kBandCautionSpacing = 1u << 0,   // k dr > 1 at the band's upper edge for some pair:
                                     // finite-difference error above about 1 dB
    kBandCautionDynamic = 1u << 1,   // delta_pI > delta_pI0 - 7 dB: the dynamic capability
                                     // of accuracy grade 3 is exceeded
};

// The quantities with what is derived from them.
struct BandFigures {
    BandQuantities values;
    VectorAngles active;     // modulus |I| and the direction angles of the active vector
    VectorAngles reactive;   // the same of the reactive vector
    BandLevels levels;
};

struct OctaveBand {
    int index = 0;            // x: f_m = 1000 G^(x / fraction), G = 10^(3/10)
    double midHz = 0.0;       // exact mid-band frequency
    double lowerHz = 0.0;     // f_m G^(-1 / (2 fraction))
    double upperHz = 0.0;     // f_m G^(+1 / (2 fraction))
    double nominalHz = 0.0;   // the name the band goes by: 31.5, 63, 125, ...
    std::string label;        // nominalHz as text: "31.5", "1000", "12500"
    int firstBin = 0;         // bins firstBin ... endBin - 1 make the band (none if equal)
    int endBin = 0;
    BandFigures figures;
    bool corrected = false;   // the finite-difference correction was applied to some axis
    unsigned cautions = 0;    // BandCaution bits
};

struct BandAnalysis {
    int fraction = 3;
    std::vector<OctaveBand> bands;   // rising frequency
    BandFigures total;               // the sum over the reported bands
    BandFigures totalA;              // the same with each band weighted by A(f_m)
};

// The exact edges and mid frequency of band `index` of 1/fraction octave.
struct BandEdges {
    double lowerHz = 0.0;
    double midHz = 0.0;
    double upperHz = 0.0;
};
BandEdges FractionalOctaveBand(int fraction, int index);
// Its nominal mid frequency: the R10 series (..., 800, 1000, 1250, 1600, ...) for one-third
// octaves, every third of them for octaves (..., 500, 1000, 2000, ...).
double NominalMidFrequency(int fraction, int index);

// The bands whose lower edge lies above f[1] (the first bin above 0 Hz) and whose upper edge
// lies below the Nyquist frequency bins x df, restricted to options.range; their values,
// levels, angles and cautions, and the totals. Needs spectra.bins >= 2.
BandAnalysis AnalyseOctaveBands(const IntensitySpectraView& spectra, const BandAnalysisOptions& options);

// The same energy sum over the bins with loHz <= f < hiHz, without the finite-difference
// correction: the bands between two edges add up to this.
BandQuantities SumOverRange(const IntensitySpectraView& spectra, const BandAnalysisOptions& options,
                            double loHz, double hiHz);

// Levels of a band's quantities (L_I from the modulus of the active vector).
BandLevels LevelsOf(const BandQuantities& values);

// One sentence per caution bit set, in the interface's language (Russian, UTF-8, unless a
// translation is installed; always Russian when not translated, for the program's own files) and
// in English; empty when none is set.
std::string BandCautionTextRu(unsigned cautions, bool translated = true);
std::string BandCautionTextEn(unsigned cautions);
