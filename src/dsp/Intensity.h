// Sound intensity by the two-microphone cross-spectral method, one microphone pair per axis
// (channels 0/1 on x, 2/3 on y, 4/5 on z; the first of each pair lies on the + side), and
// its reduction over a band of frequency bins to one value per axis.
//
// Units: I and J in W/m^2, K and P (the potential energy density, П) in J/m^3 per bin for a
// periodic signal; for an impulse the same quantities scaled as amplitude densities, to be
// integrated over frequency with IntegrateBand.
#pragma once

#include "AnalysisStatus.h"
#include "CoreText.h"

#include <array>
#include <optional>

constexpr AnalysisStatus kIntensityNoMemory = -20001;
// Fewer than four samples: fewer than two frequency bins, so no bin 1 to compute.
constexpr AnalysisStatus kIntensityTooFewSamples = -20003;
// A band with no bin in it (end <= first).
constexpr AnalysisStatus kBandEmpty = -20007;
// A band reaching outside the spectra (first < 0 or end > bins).
constexpr AnalysisStatus kBandOutsideSpectrum = -20008;
// IntegrateBand with a bin width that is not a positive number.
constexpr AnalysisStatus kBandBadBinWidth = -20016;

// Pressure factors, Pa per ADC step relative to the ADC zero: one factor for all six
// channels, whatever their sensitivities. A synthesised test signal uses VOLT x this.
constexpr double kFilePascalPerStep = 0.1220703125;
constexpr double kTestSignalPascalPerVolt = 400.0;

// What the intensity spectra need besides the samples: the medium, the probe and how the
// samples become pascals. The callers fill it from their settings and the recording
// (IntensityConstantsFrom).
struct IntensityConstants {
    double density = 0.0;               // rho, kg/m^3
    double soundSpeed = 0.0;            // c, m/s
    std::array<double, 3> spacings{};   // dr of the x, y, z pairs, m
    double pascalPerUnit = kFilePascalPerStep;
    // When set, channel k's own factor in place of pascalPerUnit (a probe whose microphones
    // differ in sensitivity); unset, every channel takes pascalPerUnit.
    std::optional<std::array<double, 6>> channelPascalPerUnit;
    bool periodic = true;   // false: an impulse

    double pascalPerUnitOf(int channel) const
    {
        return channelPascalPerUnit ? (*channelPascalPerUnit)[static_cast<size_t>(channel)] : pascalPerUnit;
    }
};

struct Settings;
// The constants of the settings record (impuls, plotnost, skorost, lmic) with each channel's
// pascals per sample unit as the recording's opener decided them (Recording.h): six equal
// factors are kept as the one factor pascalPerUnit, so the common case runs as it always has.
IntensityConstants IntensityConstantsFrom(const Settings& settings,
                                          const std::array<double, 6>& pascalPerUnit);

// ComputeIntensitySpectra fills, for bins i = 0 ... N/2 - 1 and axes a = 0, 1, 2,
//     I[a][i] = -Im(P_p conj P_q) / (4 pi f_i rho dr_a)           active intensity
//     J[a][i] = (|P_q|^2 - |P_p|^2) / (8 pi f_i rho dr_a)         reactive intensity
//     K[a][i] = |P_p - P_q|^2 / (16 pi^2 f_i^2 rho dr_a^2)        kinetic energy density
//     P[a][i] = |P_p + P_q|^2 / (16 rho c^2)                      potential energy density
// with p = 2a, q = 2a + 1, f_i = i / t[N-1], P_k = 2 S X_k[i] / N the complex amplitude of
// channel k (X_k its N-point transform after conversion to pascals), S = 1 for a periodic
// signal and S = t[N-1] for an impulse. With peak amplitudes, K and P are time averages: a
// plane wave gives K_x + K_y + K_z = P of each axis. Bin 0 (f = 0) takes the values of bin 1.
//
// A periodic signal is weighted by window list item `windowItem` as the amplitude spectra
// are (0 "Нет": none); an impulse never. The samples of channel k are multiplied by
// pascalPerUnitOf(k), so I scales with the product of a pair's two factors. A zero
// rho, c, dr_a or t[N-1] gives infinite or undefined values, passed on as they are. The
// inputs are not changed; the result arrays must not overlap the inputs or each other.
//
// Status: 0; kIntensityTooFewSamples for N < 4 (the N/2 bins, if any, are set to 0);
// kIntensityNoMemory when work memory cannot be obtained (all bins set to 0).
AnalysisStatus ComputeIntensitySpectra(const IntensityConstants& constants, int windowItem, int N,
                                       const double* const channels[6], const double* t, double* const I[3],
                                       double* const J[3], double* const K[3], double* const P[3]);

// IntegrateBand, the band value of an impulse: for each of the twelve spectra (four groups,
// three axes, each `bins` values long) the cumulative Simpson-like integral over bins
// first ... end - 1 with zero boundary values, i.e.
//     band = df * (sum_{i=first}^{end-1} Q[i] - (Q[first] + Q[end-1]) / 6),
// and maxI, maxJ = 1.5 x the largest magnitude of bandI, bandJ (the vector charts' limits).
// Status: 0; kBandEmpty, kBandOutsideSpectrum, kBandBadBinWidth (NaN too). On a refusal
// nothing is read and every output is 0.
AnalysisStatus IntegrateBand(int first, int end, int bins, double df, const double* const I[3],
                             const double* const J[3], const double* const K[3], const double* const P[3],
                             std::array<double, 3>& bandI, std::array<double, 3>& bandJ,
                             std::array<double, 3>& bandK, std::array<double, 3>& bandP, double& maxI,
                             double& maxJ);

// SumBandHarmonics, the band value of a periodic signal: the sum of the harmonic lines whose
// peak lies in spectrum[first ... end - 1] (spectrum holds `bins` values). Lines are found
// on the magnitude by the peak detector (width 3, a window centred on every bin of the band)
// with the threshold 1 % of the band's largest magnitude; the detector also reads two bins
// on each side of the band where the spectrum has them, mirrored about the spectrum's end
// bin where it has not (0 where the mirror lies outside too). A line counts in the band
// that holds the bin nearest its fitted peak, so adjacent bands never share or lose a line,
// and a line in the band's first or last bin with nothing beside it counts with its own
// height. Each line's fitted height is added with the sign of the spectrum at that bin, so
// lines pointing against an axis count negative. A band whose largest magnitude is 0 sums
// to 0. `frequencies` is not used.
//
// Status: 0; kBandEmpty or kBandOutsideSpectrum (nothing read); kIntensityNoMemory; the
// detector's status when ten attempts all failed (the caller says "Невозможно выполнить
// пик-детектор", kPeakDetectorFailedText). bandValue is 0 on every failure.
constexpr const char* kPeakDetectorFailedText =
    SONORIX_TEXT_NOOP("Intensity", "Невозможно выполнить пик-детектор");
AnalysisStatus SumBandHarmonics(int first, int end, int bins, const double* spectrum,
                                const double* frequencies, double& bandValue);
