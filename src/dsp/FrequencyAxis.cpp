#include "FrequencyAxis.h"

#include <algorithm>
#include <limits>

double SpectrumBinWidth(const double* t, int n)
{
    if (n < 2)
        return std::numeric_limits<double>::quiet_NaN();
    return 1.0 / t[n - 1];
}

void FillBinFrequencies(double binWidth, int bins, double* out)
{
    for (int i = 0; i < bins; ++i)
        out[i] = i * binWidth;
}

int FirstBinAtOrAbove(const double* frequency, int bins, double hz)
{
    return static_cast<int>(std::lower_bound(frequency, frequency + bins, hz) - frequency);
}
