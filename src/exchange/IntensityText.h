// The texts of the intensity spectra and their bands: the band's name, the CSV lines and the
// cursor readouts, in the form of the default QLocale, shared by the processing window and the
// batch tool so both write the same file.
#pragma once

#include "BandReduction.h"
#include "ResultText.h"

#include <QString>
#include <QStringList>

#include <array>
#include <string>

// The band's name as the result windows show it, in the interface's language: the method and
// the band's limits f[first], f[end] in Hz.
std::string BandText(const BandResult& band);

// impuls 0 integrates the band as an impulse; 1 sums its harmonic lines, with maxI and maxJ
// the largest magnitudes of the I and J components so the vector always fits its charts.
// The result's bandText names the band (BandText).
BandStatus ReduceBand(const IntensitySpectraView& spectra, const FrequencyRange& range, int impuls,
                      BandResult& out);

// The lines of the intensity-spectra CSV file for rows first ... last (none when last <
// first). Program: title, two ";" lines, the header, one line per bin (every value followed by
// ";"), two ";" lines and the note on units, in Russian whatever the interface's language; each
// value keeps its digits whatever its size (SpectrumValueText: 7 significant digits, the
// frequency 10). Plain: the header "f_Hz,Ix,...,Pz" and one line per bin, every digit of each
// value (PlainNumberText), as the batch tool writes the spectra.
QStringList IntensityCsvLines(const IntensitySpectraView& spectra, int first, int last,
                              CsvForm form = CsvForm::Program);

// A value with `digits` significant digits in the form of the default QLocale (decimal comma
// in the Russian locale, no group separator), in exponent notation when it is very small or
// very large: reactive intensities of 1e-4 W/m^2 and energy densities of 1e-9 J/m^3 keep their
// digits. Trailing zeros are dropped; zero is "0" without a sign; "NAN", "INF", "-INF".
QString SpectrumValueText(double value, int digits);

// The cursor readouts of the intensity view, whose curves 1 ... 6 are Ix, Jx, Iy, Jy, Iz, Jz in
// W/m^2 over frequency: text 1 and 2 give f and the six values at each cursor, text 3 the
// differences. A cursor reads the first bin in first ... last whose frequency exceeds its
// value, or bin `last` when none does; with first < 0 or last < first only the headings.
std::array<QString, 3> IntensityReadoutTexts(const double* frequency,
                                             const std::array<const double*, 6>& curves, int first, int last,
                                             double cursor1, double cursor2);
