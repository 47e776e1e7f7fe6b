// Number text: how the program writes a value for people and for its CSV files.
//
// NumberText(value, decimals) first limits the value to 7 significant digits (rounded to
// nearest), then writes it in fixed-point notation with exactly `decimals` digits after
// the decimal separator (rounding half away from zero on those 7 digits; the digits past
// the seventh are written as zeros). A value that needs more than 7 digits before the
// separator (|value| >= 9999999.5) is written in exponent notation instead: the 7
// significant digits with trailing zeros dropped, then "E" and the decimal exponent, e.g.
// "1,234568E10" or "1E7". Small values stay fixed-point ("0,00" for 1e-9 with 2 decimals).
// A result that rounds to zero is written without a minus sign ("0,00", never "-0,00").
// Not-a-number and infinities are written "NAN", "INF" and "-INF".
//
// The decimal separator is process-wide: the application sets it once at start-up from
// the user's locale (',' in the Russian locale); it is '.' until then. Tests set it
// explicitly. The setting is not meant to change while other threads format numbers.
#pragma once

#include <string>

void SetDecimalSeparator(char separator);
char DecimalSeparator();

// decimals < 0 counts as 0; decimals above 20 as 20.
std::string NumberText(double value, int decimals);
