// The survey window's chart: a bar of the sound power level per band, coloured by the accuracy
// grade the band reaches, the bands side by side at keys 0, 1, 2, ... and named below.
#pragma once

#include "SurveyAnalysis.h"

class QCustomPlot;

// Draws the chart anew: one bar series per grade (named "grade1", "grade2", "grade3" and
// "nograde"; a bar's value is its height above the base, the bottom of the axis), in the legend
// only when it has a bar. A band of negative power has no bar. The A-weighted total is not a
// band and is left out. No replot.
void DrawPowerChart(QCustomPlot& plot, const SurveyPowerTable& table);

// Names the bands on the bottom axis so that no two names overlap at the chart's present width:
// upright while they fit, turned on their side, then every second, third ... band named. No
// replot.
void LabelPowerBands(QCustomPlot& plot, const SurveyPowerTable& table);
