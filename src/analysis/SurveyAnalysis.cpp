#include "SurveyAnalysis.h"

#include "AWeighting.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// L_p of a mean square; minus infinity for silence, which then adds nothing to [L_p].
double PressureLevel(double meanSquare)
{
    if (!(meanSquare > 0))
        return -std::numeric_limits<double>::infinity();
    return 10.0 * std::log10(meanSquare / (kReferencePressure * kReferencePressure));
}

const OctaveBand* FindBand(const BandAnalysis& analysis, int index)
{
    for (const OctaveBand& band : analysis.bands)
        if (band.index == index)
            return &band;
    return nullptr;
}

}   // namespace

SurveyPowerTable ComputeSurveyPower(const std::vector<SurveyPoint>& points,
                                    const std::vector<std::optional<BandAnalysis>>& analyses,
                                    std::optional<double> residualIndexDb)
{
    SurveyPowerTable table;
    std::vector<SurveyPoint> read;
    std::vector<const BandAnalysis*> bandsOf;
    for (size_t i = 0; i < std::min(points.size(), analyses.size()); ++i)
        if (analyses[i]) {
            table.pointsRead.push_back(i);
            read.push_back(points[i]);
            bandsOf.push_back(&*analyses[i]);
        }
    if (bandsOf.empty())
        return table;
    table.fraction = bandsOf.front()->fraction;

    SurveyBandInput totalA;
    totalA.aWeightedTotal = true;
    totalA.fraction = table.fraction;
    totalA.intensity.assign(read.size(), {0.0, 0.0, 0.0});
    std::vector<double> meanSquareA(read.size(), 0.0);

    for (const OctaveBand& first : bandsOf.front()->bands) {
        SurveyBandInput input;
        input.nominal = first.nominalHz;
        input.fraction = table.fraction;
        const double weight = AWeightingPowerFactor(first.midHz);
        bool shared = true;
        for (size_t p = 0; p < bandsOf.size() && shared; ++p) {
            const OctaveBand* band = FindBand(*bandsOf[p], first.index);
            if (!band || bandsOf[p]->fraction != table.fraction) {
                shared = false;
                break;
            }
            const BandQuantities& q = band->figures.values;
            input.intensity.push_back(q.active);
            input.pressureLevelDb.push_back(PressureLevel(q.meanSquarePressure));
        }
        if (!shared)
            continue;
        unsigned cautions = 0;
        for (size_t p = 0; p < bandsOf.size(); ++p) {
            const OctaveBand& band = *FindBand(*bandsOf[p], first.index);
            const BandQuantities& q = band.figures.values;
            cautions |= band.cautions;
            for (size_t k = 0; k < 3; ++k)
                totalA.intensity[p][k] += weight * q.active[k];
            meanSquareA[p] += weight * q.meanSquarePressure;
        }
        SurveyPowerRow row;
        row.nominal = first.nominalHz;
        row.midHz = first.midHz;
        row.label = first.label;
        row.fraction = table.fraction;
        row.cautions = cautions;
        row.power = ComputeBandPower(read, input, residualIndexDb);
        table.rows.push_back(std::move(row));
    }
    if (table.rows.empty())
        return table;
    for (double meanSquare : meanSquareA)
        totalA.pressureLevelDb.push_back(PressureLevel(meanSquare));
    SurveyPowerRow total;
    total.label = "total_A";
    total.aWeightedTotal = true;
    total.fraction = table.fraction;
    total.power = ComputeBandPower(read, totalA, residualIndexDb);
    table.rows.push_back(std::move(total));
    return table;
}

std::vector<std::string> SurveyGradeShortfall(const SurveyPowerRow& row, int grade,
                                              std::optional<double> residualIndexDb)
{
    const SurveyBandPower& p = row.power;
    if (row.aWeightedTotal)
        grade = 3;
    if (p.grade != SurveyGrade::None && static_cast<int>(p.grade) <= grade)
        return {};
    std::vector<std::string> failed;
    if (p.negativePower)
        failed.push_back("P > 0");
    // K of criterion 1: 10 dB for grades 1 and 2, 7 dB for grade 3.
    if (residualIndexDb && !(*residualIndexDb - (grade == 3 ? 7.0 : 10.0) > p.F2))
        failed.push_back("L_d > F2");
    const double n = static_cast<double>(p.positions);
    const std::optional<double> c = SurveyFactorC(row.nominal, row.fraction, row.aWeightedTotal, grade);
    if (c && !(n > *c * p.F4 * p.F4))
        failed.push_back("N > C F4^2");
    else if (!c && grade != 3)
        failed.push_back("N > C F4^2 (no factor C in this band)");
    if (!p.enoughPoints)
        failed.push_back("N >= 10");
    if (!p.extraneousLimitHolds)
        failed.push_back("F3 - F2 <= 3 dB");
    return failed;
}
