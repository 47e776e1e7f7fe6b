// What the survey window writes of its power table: the CSV file (the program's own form in the
// Russian interface, the plain form other programs read in the English one) and the one-page
// report. Both ask before replacing a file and note where it went.
#pragma once

#include "PowerReport.h"
#include "SurveyAnalysis.h"

#include <QCoreApplication>
#include <QString>

#include <optional>

class QWidget;

class PowerExport {
    // The window's own texts.
    Q_DECLARE_TR_FUNCTIONS(TPower)

public:
    // False when nothing was written.
    static bool SaveCsv(QWidget* window, const QString& fileName, const SurveyPowerTable& table,
                        std::optional<double> residualIndexDb);
    // The report of `input`, with the constants of the settings in use added to it.
    static bool SaveReport(QWidget* window, const QString& fileName, PowerReportInput input);
};
