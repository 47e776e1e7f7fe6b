// The one-page report of a sound power survey: the source, the surface, the table per band, a
// bar chart of the power levels with their grades, and the constants the numbers stand on.
// Drawn with QPainter alone, so the batch tool writes the same page as the window.
#pragma once

#include "SoundPower.h"
#include "SurveyAnalysis.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct PowerReportInput {
    QString source;       // what was measured, as the user names it (may be empty)
    QString surveyPath;   // the survey file the points come from
    std::vector<SurveyPoint> points;
    std::vector<bool> pointRead;   // per point: its recording was read (empty: all were)
    SurveyPowerTable table;
    std::optional<double> residualIndexDb;
    int grade = 2;           // the grade the survey was meant to reach
    QStringList constants;   // "name: value" lines of the constants used (spacing, density...)
    QString created;         // date and time to print; empty: now
};

// Writes an A4 PDF of one page to path. Returns an empty text on success, else the reason
// (the file could not be written, ...).
QString WritePowerReportPdf(const QString& path, const PowerReportInput& input);
