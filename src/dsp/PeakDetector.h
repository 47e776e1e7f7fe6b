// Peak (or valley) detector: fits a least-squares quadratic y = c0 + c1 t + c2 t^2 to each
// run of `width` consecutive samples (t = -h ... h, h = (width-1)/2, t = 0 at the run's
// centre) and reports each extremum with a fractional location (in samples from the start
// of the block), the fitted height there and the fitted second derivative 2 c2 (per
// sample^2). Peaks are reported when their height exceeds `threshold`, valleys when it is
// below (strictly). Extrema less than one sample apart are merged, keeping the higher peak
// or the lower valley.
//
// With finalBlock false the run ending at the last sample is not examined (the block is
// taken to continue); with it true it is. A block too short for any run is no failure.
//
// Status: 0; -9 when width < 3; -20061 when width > 2^30; -20062 when the result storage
// cannot be obtained. On any failure the list is empty. The arrays of a non-empty list
// belong to the caller, who gives them back with ReleasePeakList (or each one with
// ReleasePeakArray), once.
#pragma once

struct PeakList {
    int count = 0;
    double* locations = nullptr;           // samples from the start of the block, fractional
    double* amplitudes = nullptr;          // fitted value at the vertex
    double* secondDerivatives = nullptr;   // of the fitted quadratic, per sample^2
};

enum PeakPolarity : int {
    kPeaks = 0,
    kValleys = 1,
};

constexpr int kPeakWidthTooSmall = -9;
constexpr int kPeakWidthTooLarge = -20061;
constexpr int kPeakNoMemory = -20062;

// polarity: kPeaks or kValleys (any non-zero value counts as valleys). A list passed in
// is overwritten, not released: release it first if it holds arrays.
int DetectPeaks(const double* data, int n, double threshold, int width, int polarity, bool finalBlock,
                PeakList& peaks);

// Frees one result array and sets the pointer to null (so a second call does nothing).
void ReleasePeakArray(double*& array);
// Frees all three arrays and empties the list.
void ReleasePeakList(PeakList& peaks);
