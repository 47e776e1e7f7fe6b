// The texts of the result windows, computed without a screen: number text, the vector labels,
// the calculation table's grid and its CSV file. Numbers use the decimal separator of the
// default QLocale (the user's locale in the program; tests set it).
#pragma once

#include "ResultVectors.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>

// Fixed point with `decimals` decimals after the value is limited to `precision` significant
// digits; a value with more integer digits than that is written in exponent notation. A value
// that rounds to zero has no minus sign.
QString FixedText(double value, int precision, int decimals);

// "Ir= {Ix; Iy; Iz}" and "Jr= {Jx; Jy; Jz}": 5 decimals, 10 significant digits.
QString ActiveLabelText(const std::array<double, 3>& I);
QString ReactiveLabelText(const std::array<double, 3>& J);

// The labels of the 3-D view's scale: the scale and its negative, 3 decimals, 7 digits.
QString ScaleLabelText(double scale);

// The calculation table: 9 rows of 5 cells, headers included, indexed [row][column].
constexpr int kTableRows = 9;
constexpr int kTableColumns = 5;
using TableCells = std::array<std::array<QString, kTableColumns>, kTableRows>;

// Only the header row and header column filled: what the table shows when it is created.
TableCells TableHeaders();
// Headers plus moduli, components and angles of K, П, I and J.
TableCells CalculationTable(const IntensityResult& result);

// The 11 lines of the table's CSV file: the title, ";", then every row as its cells each
// followed by ";"; and a 12th, the limit warning, when there is one. Characters the file's
// code page lacks are spelt with Latin letters in that line (kΔr as kdr).
QStringList TableCsvLines(const QString& title, const TableCells& cells,
                          const QString& limitWarning = QString());

// Lines ended by CR LF, in Windows-1251, without a byte-order mark.
QByteArray EncodeCsvLines(const QStringList& lines);

// Writes the bytes beside the target and renames them over it (WriteFileSafely), so a failed
// write leaves an existing file as it was. Returns false on failure, with the system's reason
// in errorText when one is given.
bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes, QString* errorText = nullptr);
