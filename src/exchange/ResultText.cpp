#include "ResultText.h"
#include "ResultMath.h"
#include "SafeFile.h"

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

TableCells TableHeaders()
{
    TableCells cells;
    // Column 2 ends in the Cyrillic capital Х, columns 3 and 4 in Latin letters.
    cells[0] = {QStringLiteral("Параметр"), QStringLiteral("Модуль"), QStringLiteral("Проекция на Х"),
                QStringLiteral("Проекция на Y"), QStringLiteral("Проекция на Z")};
    cells[1][0] = QStringLiteral("Кин.энергия,Дж/м^3");
    cells[2][0] = QStringLiteral("Пот.энергия,Дж/м^3");
    cells[3][0] = QStringLiteral("Акт.интенсив.,Вт/м^2");
    cells[4][0] = QStringLiteral("Реакт.интенсив.,Вт/м^2");
    cells[5][0] = QStringLiteral("FI_T,град");
    cells[6][0] = QStringLiteral("FI_П,град");
    cells[7][0] = QStringLiteral("FI_I,град");
    cells[8][0] = QStringLiteral("FI_J,град");
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

QStringList TableCsvLines(const QString& title, const TableCells& cells, const QString& limitWarning)
{
    QStringList lines;
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

QByteArray EncodeCsvLines(const QStringList& lines)
{
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
