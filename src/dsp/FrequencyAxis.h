// The frequency axis of every spectrum the program computes, decided here alone: the width of
// a bin, the frequency of bin i and the first bin of a band edge.
#pragma once

// Hz between neighbouring bins of a spectrum of n samples at times t: 1 / t[n - 1], the
// reciprocal of the stretch's time span. NaN for n < 2.
double SpectrumBinWidth(const double* t, int n);

// out[i] = i x binWidth for i = 0 ... bins - 1.
void FillBinFrequencies(double binWidth, int bins, double* out);

// The first of `bins` ascending frequencies at or above hz (bins when none is): the first bin
// of a band whose lower edge is hz, and the end of one whose upper edge is hz.
int FirstBinAtOrAbove(const double* frequency, int bins, double hz);
