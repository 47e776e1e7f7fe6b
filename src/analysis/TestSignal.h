// The synthetic six-channel test signal: a plane wave (sine, meander or one rectangular
// impulse) reaching the three microphone pairs from a chosen direction, plus one shared
// noise sequence. Samples are ADC steps relative to the ADC zero, like a segment read from
// a file. Also the volts <-> ADC-steps conversion of the parameter dialog. Plain C++.
#pragma once

#include "Settings.h"

#include <array>
#include <cstdint>
#include <optional>

// Wave forms as stored in the settings field type_sig; any other value gives the sine.
enum TestSignalForm : int32_t {
    kTestSignalSine = 0,
    kTestSignalMeander = 1,
    kTestSignalImpulse = 2,
};

struct TestSignalParams {
    int32_t form = kTestSignalSine;                 // type_sig
    int32_t frequency = 10;                         // freq_sig, Hz
    int32_t amplitude = 3276;                       // ampl_sig, ADC steps
    int32_t thetaZ = 45;                            // FI_Z, degrees from the Z axis
    int32_t thetaX = 45;                            // FI_X, degrees from the X axis in the XY plane
    int32_t noisePercent = 10;                      // ampl_noise_sig, percent of the amplitude
    int32_t samplingRate = 100000;                  // freq_ocifr as set (not rounded to even), Hz
    std::array<double, 3> spacing{0.5, 0.5, 0.5};   // lmic, m
    double soundSpeed = 340.0;                      // skorost, m/s

    static TestSignalParams FromSettings(const Settings& s);
};

// Sample count for a rate and a duration: trunc(rate x duration) in double precision.
// The processing window passes the rate with its lowest bit cleared.
int64_t TestSignalSampleCount(uint32_t rate, double duration);

// Fills count samples of the six channels and the time axis (t_i = i / samplingRate: the
// rate as set, not the even one the count came from). Every call starts afresh: pulse states
// from zero and the noise generator continued from its process-wide state (seed 0), its
// amplitude (A x p) div 100 in whole ADC steps.
void SynthesizeTestSignal(const TestSignalParams& p, int64_t count, double* const channels[6], double* time);

// The amplitude the dialog shows: trunc(steps x VOLT) volts, limited to the int range.
int TestSignalAmplitudeVolts(int32_t steps, double volt);

// The amplitude the dialog stores for a value in volts: trunc(volts / VOLT + 1.0).
// Empty when VOLT is not a positive number or the result leaves the 32-bit range: the
// caller then keeps the stored amplitude.
std::optional<int32_t> TestSignalAmplitudeSteps(int volts, double volt);
