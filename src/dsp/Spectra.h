// Six-channel one-sided amplitude spectra.
//
// ComputeAmplitudeSpectra(N, windowItem, periodic, scale, channels, spectra) fills spectra[k][i],
// i = 0 ... N/2 - 1, from the N samples of channels[k] (k = 0 ... 5; inputs unchanged):
//   - periodic signal: the channel weighted by window list item
//     `windowItem` (ApplyWindowListItem: 0 none, 1 triangular, 2 ... 7 Hanning ... flat
//     top), transformed, DC bin cleared, spectrum = 2 |X_i| / N: the peak amplitude, so a
//     sinusoid of amplitude A exactly on a bin reads A there;
//   - impulse (periodic false): no window whatever the item, spectrum = 2 |X_i| * scale / N,
//     the amplitude density (scale = t[N-1], so about 2 |X_i| dt).
// Returns true when the last window call reported a non-zero status, and also when work
// memory could not be obtained; in that case every spectrum is set to 0 rather than left
// half-written. N <= 1 leaves no bins to fill and returns false.
#pragma once

bool ComputeAmplitudeSpectra(int N, int windowItem, bool periodic, double scale,
                             const double* const channels[6], double* const spectra[6]);
