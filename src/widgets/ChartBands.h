// The six-channel line chart shared by the playback and processing windows: three stacked
// bands over one x range, channels 1, 3, 5 on the left axes and 2, 4, 6 on the right axes,
// one curve per channel, each axis coloured like its curve and each band with a small legend
// naming its two curves. Zooming and panning are horizontal only: a left drag to the right
// marks the range to show, a left drag to the left or a double click returns to the whole x
// extent of the data, a right drag (or a left drag with Shift) pans, the wheel zooms about
// the pointer, + and - zoom about the middle; a right click without a drag opens the menu that
// saves or copies the chart's picture. Two measuring cursors and the marked range live on a buffered layer of
// their own, so moving them repaints that layer over the last rendered chart image instead of re-rendering
// millions of points.
#pragma once

#include "Settings.h"

#include <QColor>
#include <QObject>
#include <QPen>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>
#include <vector>

class QCustomPlot;
class QCPAxis;
class QCPAxisRect;
class QCPGraph;
class QCPLayer;
class QCPLegend;
class QMouseEvent;
class ChartImageMenu;

// The nearest of 1, 2, 2.5 and 5 times a power of ten to a positive step.
double ReadableTickStep(double step);

class ChartBands : public QObject {
    Q_OBJECT
public:
    static constexpr int kChannels = 6;
    static constexpr int kBands = 3;

    // Builds the bands, axes and curves on an empty chart (which keeps ownership of them).
    explicit ChartBands(QCustomPlot* plot);
    ~ChartBands() override;

    QCustomPlot* plot() const { return plot_; }
    QCPGraph* series(int channel) const { return series_[static_cast<size_t>(channel)]; }
    QCPAxis* valueAxis(int channel) const { return axes_[static_cast<size_t>(channel)]; }
    QCPAxisRect* band(int m) const { return bands_[static_cast<size_t>(m)]; }
    // The axis that carries the x labels (under the lowest band); the others follow it.
    QCPAxis* bottomAxis() const;

    // Appearance of curve and axis `target` from the settings of channel `source`: colour,
    // pen width, title colour, limits, automatic scaling and grid. Visibility is separate.
    void applyChannelSettings(int target, const Settings& s, int source);
    // What a window does after the chart-axis dialog for channel k has closed: channel k's
    // settings to curve k, or to all six curves when the dialog's apply-to-all is set.
    void applyAxisDialogResult(int k, const Settings& s);
    void setSeriesVisible(int channel, bool visible);
    bool seriesVisible(int channel) const;
    void setAxisTitle(int channel, const QString& title);
    QString axisTitle(int channel) const;
    // Fixed limits (ignored unless lower < upper), or automatic scaling to the curve's data.
    void setAxisLimits(int channel, double lower, double upper);
    void setAxisAutomatic(int channel, bool automatic);
    bool axisAutomatic(int channel) const { return automatic_[static_cast<size_t>(channel)]; }
    void setAxisGrid(int channel, bool visible);

    // Replaces a curve's points with (x[i], factor * y[i]), x ascending. An automatic axis is
    // rescaled to the new values. Up to kEveryPointLimit samples the curve holds them all;
    // a longer curve keeps only x and y (which must then live until the next call for this
    // channel, clearSeries or the chart's end) and holds, for each render, the samples that
    // show at the chart's width in the range shown: its look is the same, its memory a few
    // thousand points.
    void setSeriesData(int channel, const double* x, const double* y, int count, double factor);
    void clearSeries(int channel);
    // How many samples the curve stands for (every one of them, or the long curve's count).
    int seriesSampleCount(int channel) const;
    static constexpr int kEveryPointLimit = 50000;

    // The shared x range, and the label step of the bottom axis.
    void setXRange(double lower, double upper);
    double xMinimum() const;
    double xMaximum() const;
    // The increment asked for is kept; the labels are drawn at the nearest readable step.
    void setLabelIncrement(double step);
    double labelIncrement() const { return labelStep_; }

    // Horizontal panning and zooming by mouse.
    void setZoomPanEnabled(bool enabled);
    bool zoomPanEnabled() const { return zoomPan_; }
    // Shows a `factor` times narrower x range about its middle (a factor below 1 widens it).
    void zoomAboutMiddle(double factor);
    static constexpr double kKeyZoom = 1.25;
    // The picture menu a right click opens.
    ChartImageMenu* imageMenu() const { return imageMenu_; }
    // How far, in pixels, a right press may move and still be a click.
    static constexpr int kClickSlack = 3;
    // The shortest left drag, in pixels, that marks a range (or, leftwards, restores).
    static constexpr int kMarkMinimum = 10;
    // While cursors are shown, a press this close to one (or a hundredth of the screen's width,
    // if more) belongs to the window's cursor drag.
    static constexpr int kCursorGrab = 6;
    // Whether a left drag is marking a range just now.
    bool marking() const { return drag_ == Drag::Marking; }

    // Band m's legend, and the texts it shows: the axis titles of its shown curves.
    QCPLegend* legend(int m) const { return legends_[static_cast<size_t>(m)]; }
    QStringList legendTexts(int m) const;

    // Pixel <-> x through the first curve, and the pixel span of the x axis (inclusive).
    double pixelToX(double pixel) const;
    double xToPixel(double x) const;
    int xPixelStart() const;
    int xPixelEnd() const;

    // Measuring cursors: vertical lines over the full chart height at pixel positions,
    // cursor 1 red, cursor 2 blue, 2 pixels wide.
    void setCursorsVisible(bool visible);
    bool cursorsVisible() const { return cursorsOn_; }
    void setCursorPixels(int pixel1, int pixel2);
    int cursorPixel(int which) const { return which == 1 ? cursor1_ : cursor2_; }
    // Repaints the cursor layer alone over the last rendered chart (falls back to a full
    // replot while none has been rendered yet).
    void redrawCursors();

    // Full re-render.
    void replot();
    bool hasRendered() const { return rendered_; }

signals:
    // A click on a channel axis (0..5), or on the x axis (-1).
    void axisClicked(int channel);
    // The x range changed by panning, zooming (wheel or a marked range) or from code.
    void xRangeChanged(double lower, double upper);
    // The user asked for the whole x extent back (double click or a left drag to the left).
    void zoomUndone();
    void beforeDraw();
    void afterDraw();
    void mousePressed(QMouseEvent* event);
    void mouseMoved(QMouseEvent* event);
    void mouseReleased(QMouseEvent* event);

private:
    class CursorLayerable;
    class LegendEntry;
    enum class Drag { None, Marking, Panning };

    void onMousePress(QMouseEvent* event);
    void onMouseMove(QMouseEvent* event);
    void onMouseRelease(QMouseEvent* event);
    bool insideBands(const QPointF& pos) const;
    void updateLegend(int band);

    void onAxisClick(QCPAxis* axis);
    void onBottomRangeChanged(QCPAxis* source);
    void undoZoom();
    void fitAxisToData(int channel);
    void refreshLongCurves();
    int longCurveBuckets() const;
    void pickLongCurve(int channel, double lower, double upper, int buckets);

    QCustomPlot* plot_;
    std::array<QCPAxisRect*, kBands> bands_{};
    std::array<QCPAxis*, kChannels> axes_{};
    std::array<QCPGraph*, kChannels> series_{};
    std::array<QCPLegend*, kBands> legends_{};
    std::array<bool, kChannels> automatic_{};
    std::array<bool, kChannels> dataValid_{};   // value range of the curve's points
    std::array<double, kChannels> dataLow_{};
    std::array<double, kChannels> dataHigh_{};
    // A long curve's samples, and the x range and width its points were last picked for.
    struct LongCurve {
        const double* x = nullptr;
        const double* y = nullptr;
        int count = 0;
        double factor = 1.0;
        double pickedLower = 0.0;
        double pickedUpper = 0.0;
        int pickedBuckets = 0;
    };
    std::array<LongCurve, kChannels> longCurves_{};
    std::vector<int> picks_;
    // An axis whose curve is hidden keeps its place but shows nothing; its colours wait here.
    struct AxisLook {
        QColor label, tickLabels;
        QPen base, tick, subTick;
    };
    std::array<std::optional<AxisLook>, kChannels> fadedAxes_{};
    ChartImageMenu* imageMenu_ = nullptr;
    bool rightPressed_ = false;
    QPointF rightPress_;
    QCPLayer* cursorLayer_ = nullptr;
    CursorLayerable* cursorItem_ = nullptr;
    double labelStep_ = 0.0;
    bool zoomPan_ = true;
    Drag drag_ = Drag::None;
    double dragStart_ = 0.0;   // pixel
    double dragNow_ = 0.0;
    double panLower_ = 0.0;   // the x range when panning began
    double panUpper_ = 0.0;
    bool cursorsOn_ = false;
    int cursor1_ = 0;
    int cursor2_ = 0;
    bool rendered_ = false;
    bool syncing_ = false;
};
