// The band window's two charts, drawn from a band analysis: the levels per band (bars of L_I
// coloured by validity, a line of L_p) and the direction of each band's active intensity.
// Both put the bands side by side at keys 0, 1, 2, ... and name them on the bottom axis.
#pragma once

#include "BandAxisLabels.h"
#include "OctaveBands.h"

class QCustomPlot;

// Where a band's active intensity points: azimuth atan2(Iy, Ix) in the XY plane, -180 ... 180
// degrees from the X axis, and elevation asin(Iz / |I|) above it; undefined for a zero vector.
struct BandDirection {
    bool defined = false;
    double azimuth = 0.0;
    double elevation = 0.0;
};
BandDirection ActiveDirection(const BandFigures& figures);

// Puts the legend in a row of its own above the chart, its entries side by side, so it hides
// no bar and no point. Once per chart.
void PlaceLegendAbove(QCustomPlot& plot);

// Draws the chart anew: the axes, the series (named "valid", "doubtful" and "pressure"; a bar's
// value is its height above the bars' base value, the bottom of the level axis) and the legend.
// A level below the axis has no bar. No replot.
void DrawLevelChart(QCustomPlot& plot, const BandAnalysis& analysis);
// The series "azimuth" and "elevation", for the bands that have a bar in the level chart.
void DrawDirectionChart(QCustomPlot& plot, const BandAnalysis& analysis);

// Names the bands on the bottom axis so that no two names overlap at the chart's present width:
// upright while they fit, turned on their side when they do not, and then only every second,
// third, ... band named (the bands on whole octaves first). No replot.
void LabelBands(QCustomPlot& plot, const BandAnalysis& analysis);
