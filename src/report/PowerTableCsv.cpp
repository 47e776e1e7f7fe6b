#include "PowerTableCsv.h"

#include "FileText.h"
#include "OctaveBandText.h"
#include "OctaveBands.h"

#include <cmath>

namespace {

std::optional<double> finite(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

QString criterionText(bool localeForm, const std::optional<bool>& holds)
{
    if (!holds)
        return localeForm ? QStringLiteral("не проверен") : QStringLiteral("not checked");
    if (localeForm)
        return *holds ? QStringLiteral("да") : QStringLiteral("нет");
    return *holds ? QStringLiteral("true") : QStringLiteral("false");
}

QStringList header(bool localeForm)
{
    if (localeForm)
        return {QStringLiteral("Доля октавы"),
                QStringLiteral("Полоса, Гц"),
                QStringLiteral("Точек"),
                QStringLiteral("P, Вт"),
                QStringLiteral("L_W, дБ"),
                QStringLiteral("L_p, дБ"),
                QStringLiteral("F2, дБ"),
                QStringLiteral("F3, дБ"),
                QStringLiteral("F4"),
                QStringLiteral("L_d, дБ"),
                QStringLiteral("Критерий 1"),
                QStringLiteral("Критерий 2"),
                QStringLiteral("N >= 10"),
                QStringLiteral("F3 - F2 <= 3 дБ"),
                QStringLiteral("Класс точности"),
                QStringLiteral("Примечания")};
    return {"fraction", "nominal", "points", "P",           "L_W",         "L_p",         "F2",
            "F3",       "F4",      "L_d",    "criterion_1", "criterion_2", "criterion_N", "criterion_F3_F2",
            "grade",    "notes"};
}

QStringList rowCells(bool localeForm, PowerCsvNumber number, int fraction, const SurveyPowerRow& row)
{
    const SurveyBandPower& p = row.power;
    const auto optional = [&](const std::optional<double>& v) { return v ? number(*v) : QString(); };
    QStringList cells;
    cells << QString::number(fraction);
    if (row.aWeightedTotal)
        cells << (localeForm ? QStringLiteral("Сумма A") : QStringLiteral("total_A"));
    else
        cells << QString::fromStdString(row.label);
    cells << QString::number(p.partialPower.size()) << number(p.totalPower) << optional(p.powerLevelDb)
          << optional(finite(p.meanPressureLevelDb)) << optional(finite(p.F2)) << optional(finite(p.F3))
          << optional(finite(p.F4)) << optional(p.dynamicCapabilityDb)
          << criterionText(localeForm, p.criterion1) << criterionText(localeForm, p.criterion2)
          << criterionText(localeForm, p.enoughPoints) << criterionText(localeForm, p.extraneousLimitHolds);
    if (p.grade == SurveyGrade::None)
        cells << (localeForm ? QStringLiteral("нет") : QStringLiteral("none"));
    else
        cells << QString::number(static_cast<int>(p.grade));
    // A short mark first, where there is one, then the advice sentences.
    QString mark;
    if (p.negativePower)
        mark = localeForm ? QStringLiteral("отрицательная мощность") : QStringLiteral("negative power");
    else if (p.negativeMeanIntensity)
        mark = localeForm ? QStringLiteral("средняя нормальная интенсивность отрицательна")
                          : QStringLiteral("negative mean normal intensity");
    QStringList advice;
    for (const std::string& text : localeForm ? p.adviceRu : p.adviceEn)
        advice << QString::fromStdString(text);
    QString notes = mark;
    if (!mark.isEmpty() && !advice.isEmpty())
        notes += QStringLiteral("; ");
    const std::string doubtful =
        localeForm ? BandCautionTextRu(row.cautions) : BandCautionTextEn(row.cautions);
    if (!doubtful.empty())
        advice << QString::fromStdString(doubtful);
    notes += advice.join(QLatin1Char(' '));
    cells << (localeForm ? CodePageSafe(notes) : notes);
    return cells;
}

}   // namespace

QString PlainCsvNumber(double value)
{
    // The plain power table has always written a negative zero as "-0".
    return ShortestNumberText(value, SignedZero::Minus);
}

QStringList PowerTableCsvLines(const SurveyPowerTable& table, bool localeForm, PowerCsvNumber number)
{
    const QChar sep = QLatin1Char(localeForm ? ';' : ',');
    QStringList lines{header(localeForm).join(sep)};
    for (const SurveyPowerRow& row : table.rows) {
        QStringList cells;
        for (const QString& cell : rowCells(localeForm, number, table.fraction, row))
            cells << BandCsvField(cell, sep);
        lines << cells.join(sep);
    }
    return lines;
}

QByteArray PlainPowerCsv(const SurveyPowerTable& table)
{
    QByteArray bytes;
    for (const QString& line : PowerTableCsvLines(table, false, PlainCsvNumber))
        bytes += line.toUtf8() + '\n';
    return bytes;
}
