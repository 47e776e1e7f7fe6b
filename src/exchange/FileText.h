// Texts as the program's files hold them: numbers in the shortest form that reads back as the
// same double, and the program's own CSV texts made safe for its Windows-1251 encoding. Every
// writer of these forms goes through here, so that they cannot drift apart.
#pragma once

#include <QString>

#include <string>

// How a zero with its sign bit set is written. The files written before these writers were
// gathered here differ, and each keeps its form: "-0" in the survey file, the batch tool's
// machine numbers and the plain power table; "0" in the plain intensity texts (spectra, band
// tables, the results table) and the normals the survey window shows and writes.
enum class SignedZero {
    Minus,   // "-0"
    Plain,   // "0"
};

// The shortest text that reads back as the same double, dot decimal, never in a locale's form;
// "nan", "inf" and "-inf" for the values that are not finite.
std::string ShortestNumber(double value, SignedZero zero);
QString ShortestNumberText(double value, SignedZero zero);

// The program's CSV files are Windows-1251, which lacks the minus sign, the superscript two,
// the Greek delta and the comparison signs the texts use: the encoder would write "?" for them,
// so they become "-", "^2", "d", ">=" and "<=".
QString CodePageSafe(QString text);
