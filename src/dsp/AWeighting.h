// The A frequency weighting of sound level meters: the analogue response of IEC 61672-1,
// normalised to 0 dB at 1 kHz,
//     A(f) = 20 lg R_A(f) + 2.00 dB,
//     R_A(f) = 12194^2 f^4 / ((f^2 + 20.6^2) sqrt((f^2 + 107.7^2)(f^2 + 737.9^2)) (f^2 + 12194^2)).
#pragma once

// A(f) in dB; -infinity at f = 0. f in Hz.
double AWeightingDb(double frequencyHz);

// 10^(A(f)/10): the factor an energy-like quantity (mean square, intensity) is weighted by.
double AWeightingPowerFactor(double frequencyHz);
