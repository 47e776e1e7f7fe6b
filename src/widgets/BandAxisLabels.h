// The names of octave and one-third-octave bands along a bar chart's bottom axis, shared by the
// band and survey charts: upright where every name fits beside its neighbours, otherwise
// turned and thinned out so that no two overlap.
#pragma once

#include <QStringList>

#include <vector>

class QCustomPlot;

// Every how many bands a label fits: `bands` labels `labelSpace` pixels wide each (with their
// gap) along `axisPixels`. 1 when they all fit.
int BandLabelStep(int bands, double axisPixels, double labelSpace);

// Names the bands at ticks 0 ... n-1 of the bottom axis. Where only every step-th name fits,
// the bands whose anchor is a multiple of the step are named (an anchor fixed to the band, not
// to its place in the chart, keeps the named bands as the range changes); one-third octaves
// then step by whole octaves. anchors holds one number per name.
void LabelBandAxis(QCustomPlot& plot, const QStringList& names, const std::vector<int>& anchors,
                   int fraction);
