#include "IntensityBand.h"

#include "Intensity.h"
#include "ProbeLimits.h"
#include "ResultText.h"
#include "Windows.h"

#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCsvDigits = 7;       // significant digits of an intensity or energy value
constexpr int kReadoutDigits = 5;   // enough to read a value off the chart and compare two

const char* const kCurveNames[6] = {"Ix", "Jx", "Iy", "Jy", "Iz", "Jz"};

}   // namespace

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
        // Ten digits for the frequency: a long recording has bins a thousandth of a hertz
        // apart far up the spectrum.
        QString line = SpectrumValueText(spectra.frequency[k], 10) + QLatin1Char(';');
        for (int q = 0; q < 12; ++q)
            line += SpectrumValueText(spectra.values[q][k], kCsvDigits) + QLatin1Char(';');
        lines << line;
    }
    lines << QStringLiteral(";") << QStringLiteral(";") << QStringLiteral("Примечание:")
          << QStringLiteral("Ix, Iy, Iz, Jx, Jy, Jz - размерность Вт/м^2")
          << QStringLiteral("Kx, Ky, Kz, Пx, Пy, Пz - размерность Дж/м^3");
    return lines;
}

QString SpectrumValueText(double value, int digits)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    if (value == 0.0)
        return QStringLiteral("0");   // never "-0"
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', digits);
}

std::array<QString, 3> IntensityReadoutTexts(const double* frequency,
                                             const std::array<const double*, 6>& curves,
                                             int first, int last, double cursor1, double cursor2)
{
    std::array<QString, 3> texts = {QStringLiteral("f(Гц)= "), QStringLiteral("f(Гц)= "),
                                    QStringLiteral("df(Гц)= ")};
    if (first < 0 || last < first || frequency == nullptr)
        return texts;
    // The frequency axis ascends: the first bin past a cursor is an upper bound.
    const auto binAt = [&](double cursor) {
        const double* past = std::upper_bound(frequency + first, frequency + last + 1, cursor);
        return past == frequency + last + 1 ? last : static_cast<int>(past - frequency);
    };
    const int b1 = binAt(cursor1);
    const int b2 = binAt(cursor2);
    const QString unit = QStringLiteral(" Вт/м²: ");
    texts[0] += SpectrumValueText(frequency[b1], 7) + QLatin1Char(';') + unit;
    texts[1] += SpectrumValueText(frequency[b2], 7) + QLatin1Char(';') + unit;
    texts[2] += SpectrumValueText(std::fabs(frequency[b2] - frequency[b1]), 7) +
                QLatin1Char(';') + unit;
    for (int c = 0; c < 6; ++c) {
        const QString name = QString::fromLatin1(kCurveNames[c]);
        const QString separator = c < 5 ? QStringLiteral("; ") : QStringLiteral(";");
        texts[0] += name + QStringLiteral("= ") +
                    SpectrumValueText(curves[c][b1], kReadoutDigits) + separator;
        texts[1] += name + QStringLiteral("= ") +
                    SpectrumValueText(curves[c][b2], kReadoutDigits) + separator;
        texts[2] += QLatin1Char('d') + name + QStringLiteral("= ") +
                    SpectrumValueText(curves[c][b2] - curves[c][b1], kReadoutDigits) + separator;
    }
    return texts;
}

double WindowItemEnbw(int windowItem, int n)
{
    if (windowItem == kWindowItemNone || n < 1)
        return 1.0;
    std::vector<double> weights(static_cast<size_t>(n), 1.0);
    WindowConstants constants;
    if (ApplyWindowListItem(weights.data(), n, windowItem, constants) != 0)
        return 1.0;
    return constants.enbw;
}

std::string BandLimitWarning(const IntensitySpectraView& spectra, const BandResult& band,
                             const std::array<double, 3>& spacings, double soundSpeed,
                             double windowEnbw)
{
    return ProbeLimitTextRu(CheckBandLimits(spectra, band, spacings, soundSpeed, windowEnbw));
}

ProbeLimitCheck CheckBandLimits(const IntensitySpectraView& spectra, const BandResult& band,
                                const std::array<double, 3>& spacings, double soundSpeed,
                                double windowEnbw)
{
    int strongest = -1;
    double largest = -1.0;
    for (int k = band.first; k < band.end && k < spectra.bins; ++k) {
        const double ix = spectra.values[0][k], iy = spectra.values[1][k],
                     iz = spectra.values[2][k];
        const double modulus = std::sqrt(ix * ix + iy * iy + iz * iz);
        if (modulus > largest) {   // NaN never wins
            largest = modulus;
            strongest = k;
        }
    }
    return CheckProbeLimits(band.fHi, spacings, soundSpeed, windowEnbw, strongest);
}
