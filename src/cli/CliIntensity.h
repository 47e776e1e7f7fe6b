// The processing window's intensity chain without the window: the test signal as the window
// synthesises it, the intensity spectra, the band of bins a frequency range selects, and the
// band reduction (integration for an impulse, summed harmonics for a periodic signal).
#pragma once

#include "CliDemo.h"
#include "Intensity.h"
#include "IntensityText.h"
#include "Segment.h"
#include "Settings.h"
#include "SurveyPointAnalysis.h"

#include <string>

// ComputeSegmentIntensity: SurveyPointAnalysis.h.
