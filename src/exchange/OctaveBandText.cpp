#include "OctaveBandText.h"

#include "FileText.h"
#include "IntensityText.h"
#include "ResultText.h"

#include <QCoreApplication>

#include <cmath>

namespace {

// The window's headers, and the program file's in Russian whatever the interface's language.
const char* const kWindowHeaders[kBandColumnCount] = {QT_TRANSLATE_NOOP("OctaveBandText", "Полоса, Гц"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Fн, Гц"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Fср, Гц"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Fв, Гц"),
                                                      "Ix",
                                                      "Iy",
                                                      "Iz",
                                                      "|I|",
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "LI, дБ"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Lp, дБ"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "δpI, дБ"),
                                                      "Jx",
                                                      "Jy",
                                                      "Jz",
                                                      "|J|",
                                                      "Kx",
                                                      "Ky",
                                                      "Kz",
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Пx"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Пy"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Пz"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Угол X"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Угол Y"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Угол Z"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Оценка"),
                                                      QT_TRANSLATE_NOOP("OctaveBandText", "Примечание")};

QString shown(const char* source)
{
    return QCoreApplication::translate("OctaveBandText", source);
}

const char* const kPlainHeaders[kBandColumnCount] = {
    "nominal", "lower",    "centre", "upper",   "Ix",      "Iy",      "Iz",    "I_mod",   "L_I",
    "L_p",     "PI_index", "Jx",     "Jy",      "Jz",      "J_mod",   "Kx",    "Ky",      "Kz",
    "Px",      "Py",       "Pz",     "angle_x", "angle_y", "angle_z", "valid", "warnings"};

// How one form writes its numbers.
class Numbers {
public:
    explicit Numbers(BandTextForm form) : form_(form) {}

    QString frequency(double hz) const { return value(hz, 5); }
    QString quantity(double v) const { return value(v, 4); }
    QString level(const std::optional<double>& db) const
    {
        if (!db)
            return form_ == BandTextForm::Window ? QStringLiteral("—") : QString();
        return form_ == BandTextForm::Window ? FixedText(*db, 10, 1) : value(*db, 7);
    }
    QString angle(double degrees) const
    {
        return form_ == BandTextForm::Window ? FixedText(degrees, 10, 1) : value(degrees, 7);
    }

private:
    // windowDigits significant digits on the screen; the program's file keeps 7, the plain one
    // every digit.
    QString value(double v, int windowDigits) const
    {
        switch (form_) {
        case BandTextForm::Window:
            return SpectrumValueText(v, windowDigits);
        case BandTextForm::ProgramCsv:
            return SpectrumValueText(v, 7);
        case BandTextForm::PlainCsv:
            break;
        }
        return PlainNumberText(v);
    }

    BandTextForm form_;
};

// Every column of a band or a total but the first four and the last two.
void fillFigures(QStringList& cells, const BandFigures& f, const Numbers& n)
{
    const BandQuantities& q = f.values;
    for (int a = 0; a < 3; ++a) {
        cells[kBandColIx + a] = n.quantity(q.active[a]);
        cells[kBandColJx + a] = n.quantity(q.reactive[a]);
        cells[kBandColKx + a] = n.quantity(q.kinetic[a]);
        cells[kBandColPx + a] = n.quantity(q.potential[a]);
    }
    cells[kBandColIMod] = n.quantity(f.active.modulus);
    cells[kBandColJMod] = n.quantity(f.reactive.modulus);
    cells[kBandColLI] = n.level(f.levels.intensity);
    cells[kBandColLp] = n.level(f.levels.pressure);
    cells[kBandColIndex] = n.level(f.levels.index);
    // A zero vector has no direction: its angles are left empty as a zero quantity's level is.
    const bool direction = f.active.modulus > 0;
    cells[kBandColAngleX] = direction ? n.angle(f.active.alpha) : n.level(std::nullopt);
    cells[kBandColAngleY] = direction ? n.angle(90.0 - f.active.alpha) : n.level(std::nullopt);
    cells[kBandColAngleZ] = direction ? n.angle(f.active.beta) : n.level(std::nullopt);
}

QStringList emptyRow()
{
    QStringList cells;
    for (int c = 0; c < kBandColumnCount; ++c)
        cells << QString();
    return cells;
}

QString csvLine(const QStringList& cells, BandTextForm form)
{
    if (form == BandTextForm::PlainCsv) {
        QStringList fields;
        for (const QString& cell : cells)
            fields << BandCsvField(cell, QLatin1Char(','));
        return fields.join(QLatin1Char(','));
    }
    QString line;
    for (const QString& cell : cells)
        line += BandCsvField(cell, QLatin1Char(';')) + QLatin1Char(';');
    return line;
}

}   // namespace

QStringList BandTableHeaders(BandTextForm form)
{
    QStringList headers;
    for (int c = 0; c < kBandColumnCount; ++c) {
        if (form == BandTextForm::PlainCsv)
            headers << QString::fromLatin1(kPlainHeaders[c]);
        else if (form == BandTextForm::ProgramCsv)
            headers << CodePageSafe(QString::fromUtf8(kWindowHeaders[c]));
        else
            headers << shown(kWindowHeaders[c]);
    }
    return headers;
}

QStringList BandRowCells(const OctaveBand& band, BandTextForm form)
{
    const Numbers n(form);
    QStringList cells = emptyRow();
    // The nominal frequency is a name: the plain form keeps it as the standard writes it.
    cells[kBandColNominal] = form == BandTextForm::PlainCsv ? QString::fromStdString(band.label)
                                                            : SpectrumValueText(band.nominalHz, 6);
    cells[kBandColLower] = n.frequency(band.lowerHz);
    cells[kBandColCentre] = n.frequency(band.midHz);
    cells[kBandColUpper] = n.frequency(band.upperHz);
    fillFigures(cells, band.figures, n);
    const bool valid = band.cautions == 0;
    switch (form) {
    case BandTextForm::Window:
        cells[kBandColValid] = valid ? shown(QT_TRANSLATE_NOOP("OctaveBandText", "достоверно"))
                                     : shown(QT_TRANSLATE_NOOP("OctaveBandText", "сомнительно"));
        cells[kBandColCaution] = QString::fromStdString(BandCautionTextRu(band.cautions));
        break;
    case BandTextForm::ProgramCsv:
        cells[kBandColValid] = valid ? QStringLiteral("достоверно") : QStringLiteral("сомнительно");
        cells[kBandColCaution] =
            CodePageSafe(QString::fromStdString(BandCautionTextRu(band.cautions, false)));
        break;
    case BandTextForm::PlainCsv:
        cells[kBandColValid] = valid ? QStringLiteral("true") : QStringLiteral("false");
        cells[kBandColCaution] = QString::fromStdString(BandCautionTextEn(band.cautions));
        break;
    }
    return cells;
}

QStringList BandTotalCells(const BandFigures& total, bool aWeighted, BandTextForm form)
{
    QStringList cells = emptyRow();
    if (form == BandTextForm::PlainCsv)
        cells[kBandColNominal] = aWeighted ? QStringLiteral("total_A") : QStringLiteral("total");
    else if (form == BandTextForm::ProgramCsv)
        cells[kBandColNominal] = aWeighted ? QStringLiteral("Сумма A") : QStringLiteral("Сумма");
    else
        cells[kBandColNominal] = aWeighted ? shown(QT_TRANSLATE_NOOP("OctaveBandText", "Сумма A"))
                                           : shown(QT_TRANSLATE_NOOP("OctaveBandText", "Сумма"));
    fillFigures(cells, total, Numbers(form));
    return cells;
}

QStringList BandCsvLines(const BandAnalysis& analysis, bool withTotalA, BandTextForm form)
{
    QStringList lines;
    const bool program = form != BandTextForm::PlainCsv;
    if (program)
        lines << (analysis.fraction == 1 ? QStringLiteral("Интенсивность в октавных полосах")
                                         : QStringLiteral("Интенсивность в третьоктавных полосах"))
              << QStringLiteral(";") << QStringLiteral(";");
    lines << csvLine(BandTableHeaders(form), form);
    for (const OctaveBand& band : analysis.bands)
        lines << csvLine(BandRowCells(band, form), form);
    lines << csvLine(BandTotalCells(analysis.total, false, form), form);
    if (withTotalA)
        lines << csvLine(BandTotalCells(analysis.totalA, true, form), form);
    if (program)
        lines << QStringLiteral(";") << QStringLiteral(";") << QStringLiteral("Примечание:")
              << QStringLiteral("Fн, Fср, Fв - нижняя граница, середина и верхняя граница полосы, Гц")
              << QStringLiteral("Ix, Iy, Iz, |I|, Jx, Jy, Jz, |J| - размерность Вт/м^2")
              << QStringLiteral("Kx, Ky, Kz, Пx, Пy, Пz - размерность Дж/м^3")
              << QStringLiteral("LI - уровень интенсивности (0 дБ = 1e-12 Вт/м^2), Lp - уровень "
                                "звукового давления (0 дБ = 2e-5 Па), dpI = Lp - LI")
              << QStringLiteral("Углы - в градусах");
    return lines;
}

QByteArray EncodeBandCsv(const QStringList& lines, BandTextForm form)
{
    if (form != BandTextForm::PlainCsv)
        return EncodeCsvLines(lines);
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += line.toUtf8() + '\n';
    return bytes;
}

QString BandCsvField(const QString& text, QChar separator)
{
    if (!text.contains(separator) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n')) &&
        !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1String("\""), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
