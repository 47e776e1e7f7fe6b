#include "IntensityBand.h"

#include "Intensity.h"
#include "ResultText.h"

#include <algorithm>

IntensitySpectraView IntensitySpectra::view() const
{
    IntensitySpectraView v;
    for (int q = 0; q < 12; ++q)
        v.values[q] = values[q].data();
    v.frequency = frequency.data();
    v.bins = bins();
    return v;
}

bool SelectBandBins(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first,
                    int& end)
{
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    first = end = 0;
    if (bins < 2 || f == nullptr)
        return false;
    double lo = range.given ? range.lo : 0.0;
    double hi = range.given ? range.hi : f[bins - 1];
    lo = std::max(lo, 0.0);
    hi = std::min(hi, f[bins - 1]);
    while (first < bins && !(f[first] > lo))
        ++first;
    while (end < bins && !(f[end] > hi))
        ++end;
    if (end == bins)
        end = bins - 1;
    if (first == 0)
        first = 1;
    return first < bins && end > first;
}

void CsvRowRange(const IntensitySpectraView& spectra, const FrequencyRange& range, int& first,
                 int& last)
{
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    const double lo = range.given ? range.lo : 0.0;
    const double hi = range.given ? range.hi : (bins > 0 ? f[bins - 1] : 0.0);
    first = 0;
    while (first < bins && !(f[first] >= lo))
        ++first;
    last = 0;
    while (last < bins && !(f[last] >= hi))
        ++last;
    if (last == bins)
        last = bins - 1;
    if (first == 0)
        first = 1;
}

BandStatus ReduceBand(const IntensitySpectraView& spectra, const FrequencyRange& range,
                      int impuls, BandResult& out)
{
    int first = 0, end = 0;
    if (!SelectBandBins(spectra, range, first, end))
        return BandStatus::Empty;
    const int bins = spectra.bins;
    const double* f = spectra.frequency;
    const double* groups[4][3];
    for (int g = 0; g < 4; ++g)
        for (int a = 0; a < 3; ++a)
            groups[g][a] = spectra.values[3 * g + a];
    IntensityResult& r = out.result;
    const char* method = nullptr;
    if (impuls == 0) {
        if (IntegrateBand(first, end, bins, f[1] - f[0], groups[0], groups[1], groups[2],
                          groups[3], r.I, r.J, r.K, r.P, r.maxI, r.maxJ) != 0)
            return BandStatus::Failed;
        method = "Интегрирование импульса в диапазоне, Гц (";
    } else {
        std::array<double, 3>* targets[4] = {&r.I, &r.J, &r.K, &r.P};
        for (int g = 0; g < 4; ++g)
            for (int a = 0; a < 3; ++a) {
                double value = 0.0;
                // A failed detector has shown its message; that band value is then 0.
                (void)SumBandHarmonics(first, end, bins, groups[g][a], f, value);
                (*targets[g])[a] = value;
            }
        r.maxI = LargestMagnitude(r.I);
        r.maxJ = LargestMagnitude(r.J);
        method = "Суммирование гармоник в диапазоне, Гц (";
    }
    out.first = first;
    out.end = end;
    out.fLo = f[first];
    out.fHi = f[end];
    r.bandText = method + FixedText(out.fLo, 5, 0).toStdString() + " : " +
                 FixedText(out.fHi, 5, 0).toStdString() + ")";
    return BandStatus::Ok;
}

QStringList IntensityCsvLines(const IntensitySpectraView& spectra, int first, int last)
{
    QStringList lines;
    lines << QStringLiteral("Амплитудно-частотные характеристики интенсивности")
          << QStringLiteral(";") << QStringLiteral(";")
          << QStringLiteral("F(Гц);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;Пx;Пy;Пz");
    for (int k = std::max(first, 0); k <= last && k < spectra.bins; ++k) {
        QString line = FixedText(spectra.frequency[k], 10, 2) + QLatin1Char(';');
        for (int q = 0; q < 12; ++q)
            line += FixedText(spectra.values[q][k], 10, 2) + QLatin1Char(';');
        lines << line;
    }
    lines << QStringLiteral(";") << QStringLiteral(";") << QStringLiteral("Примечание:")
          << QStringLiteral("Ix, Iy, Iz, Jx, Jy, Jz - размерность Вт/м^2")
          << QStringLiteral("Kx, Ky, Kz, Пx, Пy, Пz - размерность Дж/м^3");
    return lines;
}
