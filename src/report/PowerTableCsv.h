// The survey's power table as a CSV for other programs, the one writer of the batch tool and of
// the survey window's English interface: a header line, then a row per band and the A-weighted
// total last. The plain form has "," between fields, dot decimals, English headers and notes;
// the locale form, which only the batch tool writes, has ";" and Russian headers and notes that
// Windows-1251 can hold. Neither form follows the interface's language: they are file formats.
#pragma once

#include "SurveyAnalysis.h"

#include <QString>
#include <QStringList>

using PowerCsvNumber = QString (*)(double value);

// The shortest text that reads back as the same double, dot decimal; "nan", "inf", "-inf".
QString PlainCsvNumber(double value);

// The lines without line ends; numbers through `number`.
QStringList PowerTableCsvLines(const SurveyPowerTable& table, bool localeForm, PowerCsvNumber number);

// The plain form as a file's bytes: UTF-8, a line feed after every line.
QByteArray PlainPowerCsv(const SurveyPowerTable& table);
