// Sound power from a survey of probe positions by the discrete-point method: each point stands
// for a piece of a surface around the source (its area and outward normal), and the power
// through that piece is the normal component of the point's intensity vector times its area.
// With the field indicators that say how far the result can be trusted, the criteria they are
// held against and the best accuracy grade (precision 1, engineering 2, survey 3) they allow.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

struct SurveyPoint {
    std::string file;                 // the recording, as written in the survey (relative paths
                                      // are relative to the survey file)
    double area = 0.0;                // m^2
    std::array<double, 3> normal{};   // outward, unit length
    std::string label;
};

// One band of the survey: for each point (in the order of the points) its intensity vector
// (W/m^2) and its sound pressure level (dB re 20 µPa).
struct SurveyBandInput {
    double nominal = 0.0;   // the band's nominal mid frequency, Hz (0 for an A-weighted total)
    bool aWeightedTotal = false;
    int fraction = 3;   // 1 octave, 3 one-third octave
    std::vector<std::array<double, 3>> intensity;
    std::vector<double> pressureLevelDb;
};

enum class SurveyGrade { None = 0, Precision = 1, Engineering = 2, Survey = 3 };

struct SurveyBandPower {
    std::vector<double> normalIntensity;   // I_n,i = I_i . n_i, W/m^2, signed
    std::vector<double> partialPower;      // P_i = I_n,i S_i, W
    double totalPower = 0.0;               // sum of P_i, W
    std::optional<double> powerLevelDb;    // L_W re 1 pW; none where totalPower <= 0
    bool negativePower = false;
    double meanPressureLevelDb = 0.0;     // [L_p]
    double F2 = 0.0;                      // [L_p] - [|L_In|]
    double F3 = 0.0;                      // [L_p] - [L_In], the signed mean (its magnitude)
    bool negativeMeanIntensity = false;   // the signed mean is negative (F3 is then marked)
    double F4 = 0.0;                      // non-uniformity: the normal intensities' spread over their mean
    // The criteria for the grade found (or for grade 2 when none holds); criterion 1 is not
    // checked without the probe's residual index.
    std::optional<bool> criterion1;              // L_d > F2, L_d = residual index - K
    std::optional<bool> criterion2;              // N > C F4^2; none where the band has no factor C
    size_t positions = 0;                        // N: the distinct recordings among the points
    bool enoughPoints = false;                   // N >= 10
    bool extraneousLimitHolds = false;           // F3 - F2 <= 3 dB
    std::optional<double> dynamicCapabilityDb;   // L_d for the grade checked
    SurveyGrade grade = SurveyGrade::None;
    std::vector<std::string> adviceRu;   // what to change where no grade holds
    std::vector<std::string> adviceEn;
};

// The factor C of criterion 2 for a band and grade (1 or 2 for bands, 3 for the A-weighted
// total); none where the method gives none (below 50 Hz, above 6.3 kHz).
std::optional<double> SurveyFactorC(double nominal, int fraction, bool aWeightedTotal, int grade);

// For each point, the index of the first earlier point of the same recording (its file name
// made lexically normal), or -1; a point naming no file repeats none. A recording listed twice
// is one probe position: the criteria count positions, not lines.
std::vector<int> SurveyRepeatedPoints(const std::vector<SurveyPoint>& points);
size_t SurveyDistinctPositions(const std::vector<SurveyPoint>& points);

// The power and indicators of one band. residualIndexDb is the probe's pressure-residual
// intensity index, when known. Points and input must be of one length.
SurveyBandPower ComputeBandPower(const std::vector<SurveyPoint>& points, const SurveyBandInput& band,
                                 std::optional<double> residualIndexDb);

// A survey file: CSV with a header line, either "file,area,nx,ny,nz[,label]" or
// "file,area,face[,label]" with a face of a box around the source (+x, -x, +y, -y, +z, -z;
// "top" is +z, "front" +x, "back" -x, "left" -y, "right" +y). The normal is made unit length.
// Blank lines and lines starting with '#' are passed over. Returns the error, naming the line,
// or an empty text.
std::string ParseSurveyCsv(const std::string& text, std::vector<SurveyPoint>& points);
