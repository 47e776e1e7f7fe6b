#include "FileText.h"

#include <charconv>
#include <cmath>

std::string ShortestNumber(double value, SignedZero zero)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    if (value == 0.0 && zero == SignedZero::Plain)
        return "0";
    char buffer[64];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    (void)ec;   // 64 characters hold any double
    return std::string(buffer, end);
}

QString ShortestNumberText(double value, SignedZero zero)
{
    return QString::fromStdString(ShortestNumber(value, zero));
}

QString CodePageSafe(QString text)
{
    text.replace(QChar(0x2212), QLatin1Char('-'));       // −
    text.replace(QChar(0x00B2), QStringLiteral("^2"));   // ²
    text.replace(QChar(0x0394), QLatin1Char('d'));       // Δ
    text.replace(QChar(0x03B4), QLatin1Char('d'));       // δ
    text.replace(QChar(0x2265), QStringLiteral(">="));   // ≥
    text.replace(QChar(0x2264), QStringLiteral("<="));   // ≤
    return text;
}
