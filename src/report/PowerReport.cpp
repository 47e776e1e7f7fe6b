#include "PowerReport.h"

QString WritePowerReportPdf(const QString& path, const PowerReportInput& input)
{
    (void)path;
    (void)input;
    return QStringLiteral("Отчёт не построен");
}
