// The texts of the survey window: the power table's columns and cells as the window shows them
// and as its CSV file holds them, and the survey file the window writes.
#pragma once

#include "SoundPower.h"
#include "SurveyAnalysis.h"

#include <QDir>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

enum PowerColumn : int {
    kPowerColBand,
    kPowerColLW,
    kPowerColLp,
    kPowerColF2,
    kPowerColF3,
    kPowerColF4,
    kPowerColCriterion1,
    kPowerColCriterion2,
    kPowerColEnough,
    kPowerColExtraneous,
    kPowerColGrade,
    kPowerColAdvice,
    kPowerColumnCount
};

// The window's texts follow the interface's language; forFile gives the Russian texts the
// program's own CSV file holds whatever the language.

// "1 (точный)", "2 (технический)", "3 (ориентировочный)", "не достигнут".
QString GradeText(SurveyGrade grade, bool forFile = false);

QStringList PowerTableHeaders(bool forFile = false);

// The cells of one row: for the window numbers with one decimal and "—" where there is none;
// for the file 7 significant digits and an empty field.
QStringList PowerRowCells(const SurveyPowerRow& row, bool forFile);

// The lines of the table's CSV file in the program's own form (";" after every field): a title,
// the header, a row per band and the A-weighted total, and a note on the columns. The Russian
// interface writes it; the English one writes the plain form (PowerTableCsv.h).
QStringList PowerCsvLines(const SurveyPowerTable& table, std::optional<double> residualIndexDb);

// The survey file: "file,area,face,label" when every normal is a face of the box, else
// "file,area,nx,ny,nz,label"; the files relative to `folder` where they lie under it.
QString SurveyCsvText(const std::vector<SurveyPoint>& points, const QDir& folder);

// The face a normal is ("+x", ..., "-z"), or an empty text.
QString NormalFace(const std::array<double, 3>& normal);
// "+x", or the three components "0.6 0 0.8".
QString NormalText(const std::array<double, 3>& normal);
