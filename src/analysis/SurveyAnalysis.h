// From the band analyses of a survey's points to its power table: for each band every read
// point shares, the point's active intensity vector and pressure level go into the power and
// field indicators of SoundPower.h, and an A-weighted total over those bands closes the table.
#pragma once

#include "OctaveBands.h"
#include "SoundPower.h"

#include <optional>
#include <string>
#include <vector>

struct SurveyPowerRow {
    double nominal = 0.0;   // the band's nominal mid frequency, Hz; 0 for the total
    double midHz = 0.0;     // its exact mid frequency; 0 for the total
    std::string label;      // "1000", or "total_A"
    bool aWeightedTotal = false;
    int fraction = 3;
    unsigned cautions = 0;   // BandCaution bits of the band at any point read (none for the total)
    SurveyBandPower power;   // over the points read, in their order
};

struct SurveyPowerTable {
    int fraction = 3;
    std::vector<size_t> pointsRead;     // indices of the points whose analysis is there
    std::vector<SurveyPowerRow> rows;   // rising frequency, then the A-weighted total
};

// analyses[i] holds point i's bands, or nothing where its file could not be read; the points
// read make the surface (the others are left out, not counted as zero). A band enters the
// table only when every point read has it, so points of different rates or lengths give the
// bands they share. The A-weighted total is summed over those bands alone. No rows when no
// point was read or the points share no band.
SurveyPowerTable ComputeSurveyPower(const std::vector<SurveyPoint>& points,
                                    const std::vector<std::optional<BandAnalysis>>& analyses,
                                    std::optional<double> residualIndexDb);

// What keeps a row from a grade (1, 2 or 3; the A-weighted total is held against 3 whatever is
// asked, having no other): the criteria that fail, in English, e.g. "L_d > F2"; empty when the
// row reaches the grade or a better one. Criterion 1 fails only where the residual index is
// known; criterion 2 is required where the method gives its factor C for the grade.
std::vector<std::string> SurveyGradeShortfall(const SurveyPowerRow& row, int grade,
                                              std::optional<double> residualIndexDb);
