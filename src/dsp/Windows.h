// Data windows for spectra, scaled so that a sinusoid keeps its amplitude.
//
// ApplyScaledWindow(x, N, type, constants) multiplies x[i] by the periodic (DFT-even)
// cosine-sum window of `type`,
//     w[i] = sum_k (-1)^k a_k cos(2 pi k i / N),   i = 0 ... N-1   (w[i] = w[N-i]),
// and then by 1/CG, CG being the window's coherent gain (its mean), and fills `constants`
// with the window's equivalent noise bandwidth (ENBW, in bins) and CG. Types:
//     0 rectangular, 1 Hanning, 2 Hamming, 3 Blackman-Harris 3-term, 4 exact Blackman,
//     5 Blackman, 6 flat top, 7 Blackman-Harris 4-term, 8 Blackman-Harris 7-term,
//     9 low sidelobe; any other value (negative too) acts as 0 (data unchanged, CG = ENBW = 1).
// Status: 0; -20004 for N < 0 (nothing written). N = 0 does nothing.
//
// The processing window's window list is a different numbering: see ApplyWindowListItem.
#pragma once

#include "AnalysisStatus.h"

#include <vector>

constexpr AnalysisStatus kWindowBadCount = -20004;

struct WindowConstants {
    double enbw = 1.0;   // equivalent noise bandwidth, bins
    double cg = 1.0;     // coherent gain
};

enum WindowType : int {
    kWindowRectangular = 0,
    kWindowHanning = 1,
    kWindowHamming = 2,
    kWindowBlackmanHarris3 = 3,
    kWindowExactBlackman = 4,
    kWindowBlackman = 5,
    kWindowFlatTop = 6,
    kWindowBlackmanHarris4 = 7,
    kWindowBlackmanHarris7 = 8,
    kWindowLowSidelobe = 9,
};

AnalysisStatus ApplyScaledWindow(double* x, int N, int type, WindowConstants& constants);

// Periodic triangular (Bartlett) window, w[i] = 1 - |2i/N - 1| (0 at i = 0, 1 at i = N/2),
// scaled by 1/CG with CG = 0.5 and ENBW = 4/3 bins. Status as ApplyScaledWindow.
AnalysisStatus ApplyTriangularWindow(double* x, int N, WindowConstants& constants);

// Items of the processing window's window list ("Нет", "Треугольное", "Ханннинга",
// "Хамминга", "Блэкманна-Харриса", "Блэкмана (Уточненный)", "Блэкмана", "Flat Top").
enum WindowListItem : int {
    kWindowItemNone = 0,
    kWindowItemTriangular = 1,
};

// Weights x as list item `item` selects: 0 none (x unchanged, constants 1, 1), 1 the
// triangular window, 2 ... 7 the window types 1 ... 6 (item - 1) of ApplyScaledWindow.
// Items outside 0 ... 7 behave like ApplyScaledWindow(item - 1). Status as ApplyScaledWindow.
AnalysisStatus ApplyWindowListItem(double* x, int N, int item, WindowConstants& constants);

// A window's weights computed once, for applying it to several channels of one length: the
// same products, bit for bit, as ApplyWindowListItem gives each channel.
struct WindowWeights {
    int count = 0;
    std::vector<double> half;   // w[0 ... N/2]; empty where the window leaves the data as it is
    double inverseGain = 1.0;
    WindowConstants constants;
};

// The weights of window list item `item` for N samples. Status as ApplyWindowListItem.
AnalysisStatus MakeWindowWeights(int N, int item, WindowWeights& weights);

// out[i] = x[i] weighted, for the N samples the weights were made for; out may be x.
void ApplyWindowWeights(const WindowWeights& weights, const double* x, double* out);
