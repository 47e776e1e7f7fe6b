#include "BandAxisLabels.h"

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

int BandLabelStep(int bands, double axisPixels, double labelSpace)
{
    if (bands <= 1 || !(axisPixels > 0.0))
        return 1;
    const double perBand = axisPixels / bands;
    return std::max(1, static_cast<int>(std::ceil(labelSpace / perBand - 1e-9)));
}

void LabelBandAxis(QCustomPlot& plot, const QStringList& names, const std::vector<int>& anchors, int fraction)
{
    const int n = static_cast<int>(names.size());
    const QFontMetrics metrics(plot.xAxis->tickLabelFont());
    int widest = 0;
    for (const QString& name : names)
        widest = std::max(widest, metrics.horizontalAdvance(name));
    const QMargins margins = plot.axisRect()->margins();
    const double axisPixels = std::max(1, plot.width() - margins.left() - margins.right());

    const int gap = metrics.averageCharWidth();
    int step = 1;
    const bool upright = BandLabelStep(n, axisPixels, widest + gap) == 1;
    if (!upright) {
        step = BandLabelStep(n, axisPixels, metrics.height() + gap / 2);
        // One-third octaves named by whole octaves (..., 250, 500, 1000, ...) read best.
        if (fraction == 3 && step > 1)
            step = (step + 2) / 3 * 3;
    }
    plot.xAxis->setTickLabelRotation(upright ? 0.0 : -90.0);
    auto ticker = QSharedPointer<QCPAxisTickerText>::create();
    for (int i = 0; i < n; ++i) {
        const int anchor = i < static_cast<int>(anchors.size()) ? anchors[static_cast<size_t>(i)] : i;
        const bool named = ((anchor % step) + step) % step == 0;
        ticker->addTick(i, named ? names[i] : QString());
    }
    plot.xAxis->setTicker(ticker);
}
