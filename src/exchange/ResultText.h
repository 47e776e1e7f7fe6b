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

// The form of a CSV file the windows write. Program: the program's own file, as it has always
// been (";" after every field, the numbers as the window shows them, Windows-1251 with CR LF),
// with Russian headers whatever the interface's language, so that its files read alike. Plain: a
// file for other programs: English headers, "," between fields, "." decimal, every digit of a
// number, a field quoted when it holds "," or a quote, UTF-8 with LF.
enum class CsvForm { Program, Plain };

// A number as the plain CSV form writes it: the shortest text that reads back as the same
// number, "." decimal, "0" for zero of either sign, "nan", "inf" and "-inf".
QString PlainNumberText(double value);

// The calculation table: 9 rows of 5 cells, headers included, indexed [row][column].
constexpr int kTableRows = 9;
constexpr int kTableColumns = 5;
using TableCells = std::array<std::array<QString, kTableColumns>, kTableRows>;

// Only the header row and header column filled: what the table shows when it is created. The
// headers are in the interface's language.
TableCells TableHeaders();
// Headers plus moduli, components and angles of K, П, I and J.
TableCells CalculationTable(const IntensityResult& result);

// The lines of the table's CSV file. Program: 11 lines, the title, ";", then every row as its
// cells each followed by ";" (the header row and column always in Russian); and a 12th, the
// limit warning, when there is one, with the characters the file's code page lacks spelt with
// Latin letters (kΔr as kdr). Plain: the title as a line of its own when there is one, the
// header "quantity,unit,modulus,x,y,z", the eight rows K, P, I, J (modulus and components) and
// angle_K ... angle_J (the direction angles in x, y, z), each value read from its cell in the
// default QLocale's form, and the limit warning as a last line when there is one.
QStringList TableCsvLines(const QString& title, const TableCells& cells,
                          const QString& limitWarning = QString(), CsvForm form = CsvForm::Program);

// Program: lines ended by CR LF, in Windows-1251, without a byte-order mark. Plain: lines ended
// by LF, in UTF-8 without a byte-order mark.
QByteArray EncodeCsvLines(const QStringList& lines, CsvForm form = CsvForm::Program);

// Writes the bytes beside the target and renames them over it (WriteFileSafely), so a failed
// write leaves an existing file as it was. Returns false on failure, with the system's reason
// in errorText when one is given.
bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes, QString* errorText = nullptr);
