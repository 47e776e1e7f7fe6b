#include "IntensityText.h"

#include "ResultText.h"

#include <QCoreApplication>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kCsvDigits = 7;       // significant digits of an intensity or energy value
constexpr int kReadoutDigits = 5;   // enough to read a value off the chart and compare two

const char* const kCurveNames[6] = {"Ix", "Jx", "Iy", "Jy", "Iz", "Jz"};

}   // namespace

std::string BandText(const BandResult& band)
{
    const QString text =
        band.method == BandMethod::Integrated
            ? QCoreApplication::translate("IntensityText",
                                          "Интегрирование импульса в диапазоне, Гц (%1 : %2)")
            : QCoreApplication::translate("IntensityText", "Суммирование гармоник в диапазоне, Гц (%1 : %2)");
    return text.arg(FixedText(band.fLo, 5, 0), FixedText(band.fHi, 5, 0)).toStdString();
}

BandStatus ReduceBand(const IntensitySpectraView& spectra, const FrequencyRange& range, int impuls,
                      BandResult& out)
{
    const BandStatus status = ReduceBandVectors(spectra, range, impuls, out);
    if (status == BandStatus::Ok)
        out.result.bandText = BandText(out);
    return status;
}

QStringList IntensityCsvLines(const IntensitySpectraView& spectra, int first, int last, CsvForm form)
{
    QStringList lines;
    if (form == CsvForm::Plain) {
        lines << QStringLiteral("f_Hz,Ix,Iy,Iz,Jx,Jy,Jz,Kx,Ky,Kz,Px,Py,Pz");
        for (int k = std::max(first, 0); k <= last && k < spectra.bins; ++k) {
            QString line = PlainNumberText(spectra.frequency[k]);
            for (int q = 0; q < 12; ++q)
                line += QLatin1Char(',') + PlainNumberText(spectra.values[q][k]);
            lines << line;
        }
        return lines;
    }
    lines << QStringLiteral("Амплитудно-частотные характеристики интенсивности") << QStringLiteral(";")
          << QStringLiteral(";") << QStringLiteral("F(Гц);Ix;Iy;Iz;Jx;Jy;Jz;Kx;Ky;Kz;Пx;Пy;Пz");
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
                                             const std::array<const double*, 6>& curves, int first, int last,
                                             double cursor1, double cursor2)
{
    const QString f = QCoreApplication::translate("IntensityText", "f(Гц)= ");
    std::array<QString, 3> texts = {f, f, QCoreApplication::translate("IntensityText", "df(Гц)= ")};
    if (first < 0 || last < first || frequency == nullptr)
        return texts;
    // The frequency axis ascends: the first bin past a cursor is an upper bound.
    const auto binAt = [&](double cursor) {
        const double* past = std::upper_bound(frequency + first, frequency + last + 1, cursor);
        return past == frequency + last + 1 ? last : static_cast<int>(past - frequency);
    };
    const int b1 = binAt(cursor1);
    const int b2 = binAt(cursor2);
    const QString unit = QCoreApplication::translate("IntensityText", " Вт/м²: ");
    texts[0] += SpectrumValueText(frequency[b1], 7) + QLatin1Char(';') + unit;
    texts[1] += SpectrumValueText(frequency[b2], 7) + QLatin1Char(';') + unit;
    texts[2] += SpectrumValueText(std::fabs(frequency[b2] - frequency[b1]), 7) + QLatin1Char(';') + unit;
    for (int c = 0; c < 6; ++c) {
        const QString name = QString::fromLatin1(kCurveNames[c]);
        const QString separator = c < 5 ? QStringLiteral("; ") : QStringLiteral(";");
        texts[0] +=
            name + QStringLiteral("= ") + SpectrumValueText(curves[c][b1], kReadoutDigits) + separator;
        texts[1] +=
            name + QStringLiteral("= ") + SpectrumValueText(curves[c][b2], kReadoutDigits) + separator;
        texts[2] += QLatin1Char('d') + name + QStringLiteral("= ") +
                    SpectrumValueText(curves[c][b2] - curves[c][b1], kReadoutDigits) + separator;
    }
    return texts;
}
