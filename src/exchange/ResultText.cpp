#include "ResultText.h"
#include "FileText.h"
#include "OctaveBandText.h"
#include "ResultMath.h"
#include "SafeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QLocale>
#include <QStringEncoder>

#include <cmath>

namespace {

QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

QString vectorText(const char* prefix, const std::array<double, 3>& v)
{
    return QString::fromUtf8(prefix) + FixedText(v[0], 10, 5) + QStringLiteral("; ") +
           FixedText(v[1], 10, 5) + QStringLiteral("; ") + FixedText(v[2], 10, 5) + QStringLiteral("}");
}

QString valueText(double v)
{
    return FixedText(v, 10, 5);
}
QString angleText(double v)
{
    return FixedText(v, 10, 1);
}

// Column 2 ends in the Cyrillic capital Х, columns 3 and 4 in Latin letters.
const char* const kColumnHeaders[kTableColumns] = {
    QT_TRANSLATE_NOOP("ResultText", "Параметр"), QT_TRANSLATE_NOOP("ResultText", "Модуль"),
    QT_TRANSLATE_NOOP("ResultText", "Проекция на Х"), QT_TRANSLATE_NOOP("ResultText", "Проекция на Y"),
    QT_TRANSLATE_NOOP("ResultText", "Проекция на Z")};
const char* const kRowHeaders[kTableRows - 1] = {QT_TRANSLATE_NOOP("ResultText", "Кин.энергия,Дж/м^3"),
                                                 QT_TRANSLATE_NOOP("ResultText", "Пот.энергия,Дж/м^3"),
                                                 QT_TRANSLATE_NOOP("ResultText", "Акт.интенсив.,Вт/м^2"),
                                                 QT_TRANSLATE_NOOP("ResultText", "Реакт.интенсив.,Вт/м^2"),
                                                 QT_TRANSLATE_NOOP("ResultText", "FI_T,град"),
                                                 QT_TRANSLATE_NOOP("ResultText", "FI_П,град"),
                                                 QT_TRANSLATE_NOOP("ResultText", "FI_I,град"),
                                                 QT_TRANSLATE_NOOP("ResultText", "FI_J,град")};

// The plain form's names of the rows below the header and their units.
const char* const kPlainRowNames[kTableRows - 1] = {"K",       "P",       "I",       "J",
                                                    "angle_K", "angle_P", "angle_I", "angle_J"};
const char* const kPlainRowUnits[kTableRows - 1] = {"J/m^3", "J/m^3", "W/m^2", "W/m^2",
                                                    "deg",   "deg",   "deg",   "deg"};

QString headerText(const char* source, bool translated)
{
    return translated ? QCoreApplication::translate("ResultText", source) : QString::fromUtf8(source);
}

void setHeaders(TableCells& cells, bool translated)
{
    for (int c = 0; c < kTableColumns; ++c)
        cells[0][c] = headerText(kColumnHeaders[c], translated);
    for (int r = 1; r < kTableRows; ++r)
        cells[r][0] = headerText(kRowHeaders[r - 1], translated);
}

// A value cell as the window shows it, turned into the plain form's number; a cell that is not
// a number is kept as it is.
QString plainCell(const QString& text)
{
    if (text.isEmpty())
        return text;
    if (text == QLatin1String("NAN") || text == QLatin1String("INF") || text == QLatin1String("-INF"))
        return text.toLower();
    bool ok = false;
    double value = numberLocale().toDouble(text, &ok);
    if (!ok)
        value = QLocale::c().toDouble(text, &ok);
    return ok ? PlainNumberText(value) : text;
}

QString plainLine(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted << BandCsvField(field, QLatin1Char(','));
    return quoted.join(QLatin1Char(','));
}

}   // namespace

QString FixedText(double value, int precision, int decimals)
{
    const QLocale locale = numberLocale();
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    // Limit to `precision` significant digits first, so the decimals past them read as zeros.
    const double limited = QString::number(value, 'g', precision).toDouble();
    if (std::fabs(limited) >= std::pow(10.0, precision))
        return locale.toString(limited, 'E', precision - 1);
    QString text = locale.toString(limited, 'f', decimals);
    if (text.startsWith(locale.negativeSign())) {
        const QString digits = text.mid(locale.negativeSign().size());
        bool allZero = true;
        for (QChar ch : digits)
            if (ch.isDigit() && ch != QLatin1Char('0'))
                allZero = false;
        if (allZero)
            text = digits;
    }
    return text;
}

QString ActiveLabelText(const std::array<double, 3>& I)
{
    return vectorText("Ir= {", I);
}

QString ReactiveLabelText(const std::array<double, 3>& J)
{
    return vectorText("Jr= {", J);
}

QString ScaleLabelText(double scale)
{
    return FixedText(scale, 7, 3);
}

QString PlainNumberText(double value)
{
    // The shortest text that reads back as the same number, as the batch tool writes them; these
    // texts have never written "-0".
    return ShortestNumberText(value, SignedZero::Plain);
}

TableCells TableHeaders()
{
    TableCells cells;
    setHeaders(cells, true);
    return cells;
}

TableCells CalculationTable(const IntensityResult& result)
{
    TableCells cells = TableHeaders();
    // Rows 1 ... 4 and 5 ... 8 take K, П, I, J in this order.
    const std::array<const std::array<double, 3>*, 4> vectors = {&result.K, &result.P, &result.I, &result.J};
    for (int i = 0; i < 4; ++i) {
        const auto& v = *vectors[i];
        const VectorAngles a = ComputeVectorAngles(v);
        auto& valueRow = cells[1 + i];
        valueRow[1] = valueText(a.modulus);
        for (int c = 0; c < 3; ++c)
            valueRow[2 + c] = valueText(v[c]);
        auto& angleRow = cells[5 + i];
        angleRow[2] = angleText(a.alpha);
        angleRow[3] = angleText(90.0 - a.alpha);
        angleRow[4] = angleText(a.beta);
    }
    return cells;
}

QStringList TableCsvLines(const QString& title, const TableCells& shown, const QString& limitWarning,
                          CsvForm form)
{
    QStringList lines;
    if (form == CsvForm::Plain) {
        if (!title.isEmpty())
            lines << plainLine({title});
        lines << QStringLiteral("quantity,unit,modulus,x,y,z");
        for (int r = 1; r < kTableRows; ++r) {
            QStringList fields = {QString::fromLatin1(kPlainRowNames[r - 1]),
                                  QString::fromLatin1(kPlainRowUnits[r - 1])};
            for (int c = 1; c < kTableColumns; ++c)
                fields << plainCell(shown[r][c]);
            lines << plainLine(fields);
        }
        if (!limitWarning.isEmpty())
            lines << plainLine({limitWarning});
        return lines;
    }
    // The program's file reads the same whatever language the window's headers are in.
    TableCells cells = shown;
    setHeaders(cells, false);
    lines << title << QStringLiteral(";");
    for (const auto& row : cells) {
        QString line;
        for (const QString& cell : row)
            line += cell + QLatin1Char(';');
        lines << line;
    }
    if (!limitWarning.isEmpty()) {
        // Windows-1251 has no Greek: the encoder would write the delta of k·Δr as "?".
        QString line = limitWarning;
        line.replace(QChar(0x0394), QLatin1Char('d'));
        lines << line;
    }
    return lines;
}

QByteArray EncodeCsvLines(const QStringList& lines, CsvForm form)
{
    if (form == CsvForm::Plain) {
        QByteArray bytes;
        for (const QString& line : lines)
            bytes += line.toUtf8() + '\n';
        return bytes;
    }
    QStringEncoder encoder("windows-1251");
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += encoder.encode(line);
        bytes += "\r\n";
    }
    return bytes;
}

bool WriteFileReplacing(const QString& fileName, const QByteArray& bytes, QString* errorText)
{
    std::string error;
    const bool written =
        WriteFileSafely(QFile::encodeName(fileName).toStdString(),
                        std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), error);
    if (errorText)
        *errorText = written ? QString() : QString::fromLocal8Bit(error);
    return written;
}
