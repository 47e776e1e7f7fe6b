// A microphone's sensitivity from a recording of a calibrator on it: the calibrator makes a
// tone of known level (94 dB re 20 µPa, say) at a known frequency (1 kHz or 250 Hz), and the
// recording gives the voltage that level produces.
//
// The channel is band-filtered around the stated frequency (a one-third-octave Butterworth band,
// so hum and noise outside it do not count), the filter's start-up is left out, and the RMS of
// the rest is the tone's voltage: sensitivity (mV/Pa) = 1000 · V_rms / (20 µPa · 10^(L/20)).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CalibratorTone {
    double levelDb = 94.0;       // re 20 µPa
    double frequency = 1000.0;   // Hz
};

// Why a channel could not be calibrated.
enum class CalibrationStatus {
    Ok,
    BadTone,            // a level or frequency that is not a positive finite number
    ToneAboveNyquist,   // the tone's band reaches half the rate or beyond
    TooShort,           // less than kCalibrationMinSeconds after the filter's start-up
    NoSignal,           // nothing in the band (a silent or disconnected channel)
};

constexpr double kCalibrationMinSeconds = 0.5;
// Warnings: the level moves more than this over the stretch (max - min of 1 s RMS), or the new
// sensitivity differs from the old by more than this.
constexpr double kCalibrationStabilityLimitDb = 0.1;
constexpr double kCalibrationChangeLimitDb = 0.5;

struct ChannelCalibration {
    CalibrationStatus status = CalibrationStatus::Ok;
    double foundFrequency = 0.0;            // strongest component near the stated frequency, Hz
    double rmsVolts = 0.0;                  // of the band-filtered tone
    double sensitivity = 0.0;               // mV/Pa, new
    double oldSensitivity = 0.0;            // mV/Pa, as given
    std::optional<double> levelWithOldDb;   // the tone's level read with the old sensitivity
    std::optional<double> changeDb;         // 20 lg(new / old)
    std::optional<double> stabilityDb;      // max - min of the 1 s RMS levels; from 2 s on
    bool toneElsewhere = false;             // the strongest component lies outside the tone's band
    bool unstable = false;                  // stability worse than kCalibrationStabilityLimitDb
    bool largeChange = false;               // |change| above kCalibrationChangeLimitDb
};

// Calibrates one channel of `count` samples in volts at `rate` samples per second.
ChannelCalibration CalibrateChannel(const double* volts, int count, double rate, const CalibratorTone& tone,
                                    double oldSensitivity);

// The warnings of a result as sentences, in Russian, for the user; empty when there are none.
std::vector<std::string> CalibrationWarningsRu(const ChannelCalibration& result, const CalibratorTone& tone);
