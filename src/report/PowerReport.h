// The one-page report of a sound power survey: the source, the surface, the table per band, a
// bar chart of the power levels with their grades, and the constants the numbers stand on.
// Drawn with QPainter alone, so the batch tool writes the same page as the window. The texts go
// through the installed translation; the batch tool installs none and prints the Russian page.
#pragma once

#include "SoundPower.h"
#include "SurveyAnalysis.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPaintDevice;
class QPainter;

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
    // How numbers and the date are written: the page's texts follow the installed translation,
    // its numbers this locale, so that an English page has dot decimals.
    QLocale locale = QLocale(QLocale::Russian, QLocale::Russia);
};

// Writes an A4 PDF of one page to path. Returns an empty text on success, else the reason
// (the file could not be written, ...).
QString WritePowerReportPdf(const QString& path, const PowerReportInput& input);

// Paints the page through a begun painter on a device the size of A4 at 300 dots per inch, as
// the PDF has it: the sizes are tried from the most readable down until everything fits.
void PaintPowerReport(QPainter& painter, QPaintDevice& device, const PowerReportInput& input);
