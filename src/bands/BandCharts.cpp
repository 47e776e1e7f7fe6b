#include "BandCharts.h"

#include "IntensityText.h"

#include <qcustomplot.h>

#include <QCoreApplication>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <utility>

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;
constexpr double kBarWidth = 0.7;
// The level axis spans at most this much below the loudest band: quieter bands are lost in the
// window's leakage and the spectra's rounding, and would squash the ones that matter.
constexpr double kLevelSpanDb = 100.0;

const QColor kValidColor(60, 110, 180);
const QColor kDoubtfulColor(235, 140, 40);
const QColor kPressureColor(170, 30, 30);
const QColor kAzimuthColor(40, 90, 200);
const QColor kElevationColor(30, 150, 60);

// The level axis: from a whole ten above the loudest level down to the quietest, or
// kLevelSpanDb below the top.
std::pair<double, double> levelRange(const BandAnalysis& analysis)
{
    double top = -std::numeric_limits<double>::infinity();
    double bottom = std::numeric_limits<double>::infinity();
    for (const OctaveBand& band : analysis.bands)
        for (const auto& level : {band.figures.levels.intensity, band.figures.levels.pressure})
            if (level) {
                top = std::max(top, *level);
                bottom = std::min(bottom, *level);
            }
    if (!std::isfinite(top))
        return {0.0, 100.0};
    const double upper = std::ceil((top + 5.0) / 10.0) * 10.0;
    return {std::max(std::floor((bottom - 5.0) / 10.0) * 10.0, upper - kLevelSpanDb), upper};
}

void resetPlot(QCustomPlot& plot)
{
    plot.clearPlottables();
    plot.clearItems();
    plot.legend->setVisible(true);
    plot.legend->setFont(plot.font());
    plot.xAxis->setRange(-0.6, 0.6);
    plot.xAxis->grid()->setVisible(false);
    plot.xAxis->setLabel(QCoreApplication::translate("BandCharts", "Полоса, Гц"));
}

QCPBars* bars(QCustomPlot& plot, const char* name, const QString& title, const QColor& color)
{
    auto* b = new QCPBars(plot.xAxis, plot.yAxis);
    b->setObjectName(QString::fromLatin1(name));
    b->setName(title);
    b->setWidth(kBarWidth);
    b->setPen(QPen(color.darker(130)));
    b->setBrush(color);
    return b;
}

QCPGraph* graph(QCustomPlot& plot, const char* name, const QString& title, const QColor& color,
                QCPScatterStyle::ScatterShape shape, bool line)
{
    QCPGraph* g = plot.addGraph();
    g->setObjectName(QString::fromLatin1(name));
    g->setName(title);
    g->setPen(QPen(color, 2));
    g->setLineStyle(line ? QCPGraph::lsLine : QCPGraph::lsNone);
    g->setScatterStyle(QCPScatterStyle(shape, color, line ? color : QColor(Qt::white), 7));
    return g;
}

}   // namespace

BandDirection ActiveDirection(const BandFigures& figures)
{
    const auto& I = figures.values.active;
    const double modulus = figures.active.modulus;
    if (!(modulus > 0.0) || !std::isfinite(modulus))
        return {};
    return {true, std::atan2(I[1], I[0]) * kDegrees,
            std::asin(std::clamp(I[2] / modulus, -1.0, 1.0)) * kDegrees};
}

void PlaceLegendAbove(QCustomPlot& plot)
{
    auto* row = new QCPLayoutGrid;
    plot.plotLayout()->insertRow(0);
    plot.plotLayout()->addElement(0, 0, row);
    row->addElement(0, 0, plot.legend);   // takes it out of the axis rect
    row->setMargins(QMargins(0, 4, 0, 0));
    plot.legend->setFillOrder(QCPLegend::foColumnsFirst);
    plot.legend->setBorderPen(Qt::NoPen);
    plot.legend->setBrush(Qt::NoBrush);
    plot.plotLayout()->setRowStretchFactor(0, 0.001);
}

void DrawLevelChart(QCustomPlot& plot, const BandAnalysis& analysis)
{
    resetPlot(plot);
    plot.yAxis->setLabel(QCoreApplication::translate("BandCharts", "Уровень, дБ"));
    QCPBars* valid = bars(plot, "valid", QCoreApplication::translate("BandCharts", "LI, дБ"), kValidColor);
    QCPBars* doubtful = bars(
        plot, "doubtful", QCoreApplication::translate("BandCharts", "LI, дБ (сомнительно)"), kDoubtfulColor);
    QCPGraph* pressure = graph(plot, "pressure", QCoreApplication::translate("BandCharts", "Lp, дБ"),
                               kPressureColor, QCPScatterStyle::ssCircle, true);

    const auto [lower, upper] = levelRange(analysis);
    plot.yAxis->setRange(lower, upper);
    valid->setBaseValue(lower);
    doubtful->setBaseValue(lower);

    const int n = static_cast<int>(analysis.bands.size());
    for (int i = 0; i < n; ++i) {
        const BandLevels& levels = analysis.bands[i].figures.levels;
        // A bar's value is its height above the base.
        if (levels.intensity && *levels.intensity > lower)
            (analysis.bands[i].cautions == 0 ? valid : doubtful)->addData(i, *levels.intensity - lower);
        // A gap in the line where the level is none.
        pressure->addData(i, levels.pressure ? *levels.pressure : std::numeric_limits<double>::quiet_NaN());
    }
    // A series with nothing in it stays out of the legend.
    for (QCPBars* b : {valid, doubtful})
        if (b->dataCount() == 0)
            b->removeFromLegend();
    plot.xAxis->setRange(-0.6, std::max(n, 1) - 0.4);
    LabelBands(plot, analysis);
}

void DrawDirectionChart(QCustomPlot& plot, const BandAnalysis& analysis)
{
    resetPlot(plot);
    plot.yAxis->setLabel(QCoreApplication::translate("BandCharts", "Направление I, град"));
    QCPGraph* azimuth = graph(plot, "azimuth", QCoreApplication::translate("BandCharts", "Азимут"),
                              kAzimuthColor, QCPScatterStyle::ssCircle, false);
    QCPGraph* elevation = graph(plot, "elevation", QCoreApplication::translate("BandCharts", "Угол места"),
                                kElevationColor, QCPScatterStyle::ssTriangle, false);
    plot.setToolTip(QCoreApplication::translate(
        "BandCharts", "Азимут: угол проекции I на плоскость XY от оси X (-180 … 180°).\n"
                      "Угол места: угол I над плоскостью XY (-90 … 90°)."));
    // Only where the level chart has a bar: the direction of what is lost in the spectra's
    // rounding is noise.
    const double floor = levelRange(analysis).first;
    const int n = static_cast<int>(analysis.bands.size());
    for (int i = 0; i < n; ++i) {
        const BandDirection d = ActiveDirection(analysis.bands[i].figures);
        const auto& level = analysis.bands[i].figures.levels.intensity;
        if (!d.defined || !level || *level <= floor)
            continue;
        azimuth->addData(i, d.azimuth);
        elevation->addData(i, d.elevation);
    }
    auto ticker = QSharedPointer<QCPAxisTickerFixed>::create();
    ticker->setTickStep(45.0);
    ticker->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    plot.yAxis->setTicker(ticker);
    plot.yAxis->setRange(-190.0, 190.0);
    plot.xAxis->setRange(-0.6, std::max(n, 1) - 0.4);
    LabelBands(plot, analysis);
}

void LabelBands(QCustomPlot& plot, const BandAnalysis& analysis)
{
    QStringList names;
    std::vector<int> anchors;
    for (const OctaveBand& band : analysis.bands) {
        names << SpectrumValueText(band.nominalHz, 6);
        // Band index 0 is 1 kHz, so the named bands keep their places as the range changes.
        anchors.push_back(band.index);
    }
    LabelBandAxis(plot, names, anchors, analysis.fraction);
}
