#include "PowerText.h"

#include "SurveyFile.h"

#include "FileText.h"
#include "IntensityText.h"
#include "OctaveBandText.h"
#include "ResultText.h"

#include <QCoreApplication>

#include <array>
#include <cmath>

namespace {

// The program's CSV file is Windows-1251; its dash, which the code page has, has always been
// written as a hyphen in this table.
QString codePageSafe(QString text)
{
    return CodePageSafe(text).replace(QChar(0x2014), QLatin1Char('-'));
}

// A text as the window shows it, in the interface's language, or as the program's own file
// holds it, always the Russian source.
QString text(bool forFile, const char* source)
{
    return forFile ? QString::fromUtf8(source) : QCoreApplication::translate("PowerText", source);
}

QString criterionText(const std::optional<bool>& holds, bool forFile)
{
    if (!holds)
        return text(forFile, QT_TRANSLATE_NOOP("PowerText", "не проверен"));
    return *holds ? text(forFile, QT_TRANSLATE_NOOP("PowerText", "да"))
                  : text(forFile, QT_TRANSLATE_NOOP("PowerText", "нет"));
}

std::optional<double> finiteValue(double value)
{
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

// A number a CSV reader of any locale takes back as written: the shortest text, dot decimal; a
// negative zero has always been shown as "0" here.
QString exactNumber(double value)
{
    return ShortestNumberText(value, SignedZero::Plain);
}

}   // namespace

QString GradeText(SurveyGrade grade, bool forFile)
{
    switch (grade) {
    case SurveyGrade::Precision:
        return text(forFile, QT_TRANSLATE_NOOP("PowerText", "1 (точный)"));
    case SurveyGrade::Engineering:
        return text(forFile, QT_TRANSLATE_NOOP("PowerText", "2 (технический)"));
    case SurveyGrade::Survey:
        return text(forFile, QT_TRANSLATE_NOOP("PowerText", "3 (ориентировочный)"));
    case SurveyGrade::None:
        break;
    }
    return text(forFile, QT_TRANSLATE_NOOP("PowerText", "не достигнут"));
}

QStringList PowerTableHeaders(bool forFile)
{
    static const char* const headers[kPowerColumnCount] = {QT_TRANSLATE_NOOP("PowerText", "Полоса, Гц"),
                                                           QT_TRANSLATE_NOOP("PowerText", "LW, дБ"),
                                                           QT_TRANSLATE_NOOP("PowerText", "Lp, дБ"),
                                                           QT_TRANSLATE_NOOP("PowerText", "F2, дБ"),
                                                           QT_TRANSLATE_NOOP("PowerText", "F3, дБ"),
                                                           "F4",
                                                           QT_TRANSLATE_NOOP("PowerText", "Критерий 1"),
                                                           QT_TRANSLATE_NOOP("PowerText", "Критерий 2"),
                                                           "N ≥ 10",
                                                           QT_TRANSLATE_NOOP("PowerText", "F3 − F2 ≤ 3 дБ"),
                                                           QT_TRANSLATE_NOOP("PowerText", "Класс точности"),
                                                           QT_TRANSLATE_NOOP("PowerText", "Рекомендации")};
    QStringList list;
    for (const char* header : headers)
        list << text(forFile, header);
    return list;
}

QStringList PowerRowCells(const SurveyPowerRow& row, bool forFile)
{
    const SurveyBandPower& p = row.power;
    const auto number = [&](const std::optional<double>& v) {
        if (!v)
            return forFile ? QString() : QStringLiteral("—");
        return forFile ? SpectrumValueText(*v, 7) : FixedText(*v, 10, 1);
    };
    QStringList cells;
    cells << (row.aWeightedTotal ? text(forFile, QT_TRANSLATE_NOOP("PowerText", "Сумма A"))
                                 : SpectrumValueText(row.nominal, 6));
    cells << (p.negativePower ? text(forFile, QT_TRANSLATE_NOOP("PowerText", "отрицательная мощность"))
                              : number(p.powerLevelDb));
    cells << number(finiteValue(p.meanPressureLevelDb)) << number(finiteValue(p.F2))
          << number(finiteValue(p.F3))
          << (forFile ? number(finiteValue(p.F4))
                      : (std::isfinite(p.F4) ? FixedText(p.F4, 10, 2) : QStringLiteral("—")));
    cells << criterionText(p.criterion1, forFile) << criterionText(p.criterion2, forFile)
          << criterionText(p.enoughPoints, forFile) << criterionText(p.extraneousLimitHolds, forFile)
          << GradeText(p.grade, forFile);
    QStringList notes;
    if (p.negativeMeanIntensity && !p.negativePower)
        notes << text(forFile,
                      QT_TRANSLATE_NOOP("PowerText", "Средняя нормальная интенсивность отрицательна."));
    for (const std::string& text : p.adviceRu)
        notes << QString::fromStdString(text);
    if (const std::string doubtful = BandCautionTextRu(row.cautions); !doubtful.empty())
        notes << text(forFile, QT_TRANSLATE_NOOP("PowerText", "Полоса сомнительна: %1."))
                     .arg(QString::fromStdString(doubtful));
    cells << notes.join(QLatin1Char(' '));
    if (forFile)
        for (QString& cell : cells)
            cell = codePageSafe(cell);
    return cells;
}

QStringList PowerCsvLines(const SurveyPowerTable& table, std::optional<double> residualIndexDb)
{
    const auto line = [](const QStringList& cells) {
        QString text;
        for (const QString& cell : cells)
            text += BandCsvField(cell, QLatin1Char(';')) + QLatin1Char(';');
        return text;
    };
    QStringList lines;
    lines << (table.fraction == 1 ? QStringLiteral("Звуковая мощность в октавных полосах")
                                  : QStringLiteral("Звуковая мощность в третьоктавных полосах"))
          << QStringLiteral("Точек: %1;").arg(table.pointsRead.size())
          << (residualIndexDb
                  ? QStringLiteral("Индекс остаточной интенсивности, дБ: %1;")
                        .arg(SpectrumValueText(*residualIndexDb, 7))
                  : QStringLiteral("Индекс остаточной интенсивности не задан: критерий 1 не проверен;"))
          << QStringLiteral(";");
    QStringList headers;
    for (const QString& header : PowerTableHeaders(true))
        headers << codePageSafe(header);
    lines << line(headers);
    for (const SurveyPowerRow& row : table.rows)
        lines << line(PowerRowCells(row, true));
    lines << QStringLiteral(";") << QStringLiteral("Примечание:")
          << QStringLiteral("LW - уровень звуковой мощности (0 дБ = 1e-12 Вт), Lp - средний уровень "
                            "звукового давления по точкам (0 дБ = 2e-5 Па)")
          << QStringLiteral("F2 - индикатор давление-интенсивность, F3 - индикатор отрицательной "
                            "частичной мощности, F4 - индикатор неоднородности поля")
          << QStringLiteral("Критерий 1: Ld > F2; критерий 2: N > C*F4^2; класс точности: 1 - точный, "
                            "2 - технический, 3 - ориентировочный");
    return lines;
}

QString NormalFace(const std::array<double, 3>& normal)
{
    const char* face = SurveyFaceName(normal);
    return face ? QString::fromLatin1(face) : QString();
}

QString NormalText(const std::array<double, 3>& normal)
{
    if (const QString face = NormalFace(normal); !face.isEmpty())
        return face;
    return exactNumber(normal[0]) + QLatin1Char(' ') + exactNumber(normal[1]) + QLatin1Char(' ') +
           exactNumber(normal[2]);
}

QString SurveyCsvText(const std::vector<SurveyPoint>& points, const QDir& folder)
{
    // Files under the survey's folder are written relative to it, so the folder can move.
    std::vector<SurveyPoint> written = points;
    for (SurveyPoint& p : written) {
        const QString file = QString::fromStdString(p.file);
        const QString relative = folder.relativeFilePath(file);
        const bool under = !relative.startsWith(QLatin1String("..")) && !QDir::isAbsolutePath(relative);
        p.file = (under ? relative : file).toStdString();
    }
    return QString::fromStdString(SurveyToCsv(written));
}
