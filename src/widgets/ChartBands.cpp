#include "ChartBands.h"

#include "ChartColorButton.h"
#include "ChartEnvelope.h"
#include "ChartImage.h"

#include <QShortcut>

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>
#include <limits>

// Draws the range being marked and the two cursor lines; lives on its own buffered layer
// above everything else.
class ChartBands::CursorLayerable : public QCPLayerable {
public:
    CursorLayerable(QCustomPlot* plot, const QString& layer, const ChartBands* owner)
        : QCPLayerable(plot, layer), owner_(owner)
    {
    }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override { painter->setAntialiasing(false); }

    void draw(QCPPainter* painter) override
    {
        if (owner_->drag_ == Drag::Marking) {
            const QRect top = owner_->bands_.front()->rect();
            const QRect bottom = owner_->bands_.back()->rect();
            const double left = std::clamp(std::min(owner_->dragStart_, owner_->dragNow_), double(top.left()),
                                           double(top.right()));
            const double right = std::clamp(std::max(owner_->dragStart_, owner_->dragNow_),
                                            double(top.left()), double(top.right()));
            painter->setPen(QPen(QColor(40, 90, 200, 160), 1));
            painter->setBrush(QColor(40, 90, 200, 50));
            painter->drawRect(QRectF(left, top.top(), right - left, bottom.bottom() - top.top()));
        }
        if (!owner_->cursorsOn_)
            return;
        const int height = parentPlot()->height();
        painter->setPen(QPen(Qt::red, 2));
        painter->drawLine(QLineF(owner_->cursor1_, 0, owner_->cursor1_, height));
        painter->setPen(QPen(Qt::blue, 2));
        painter->drawLine(QLineF(owner_->cursor2_, 0, owner_->cursor2_, height));
    }

private:
    const ChartBands* owner_;
};

// One line of a band's legend: a short stroke in the curve's pen and the curve's axis title in
// its colour, read when drawn, so a new title or colour needs nothing more. A hidden curve's
// line takes no room.
class ChartBands::LegendEntry : public QCPAbstractLegendItem {
public:
    LegendEntry(QCPLegend* legend, const ChartBands* owner, int channel)
        : QCPAbstractLegendItem(legend), owner_(owner), channel_(channel)
    {
        setSelectable(false);
    }

    bool shown() const { return owner_->seriesVisible(channel_); }
    QString text() const { return owner_->axisTitle(channel_); }

protected:
    void draw(QCPPainter* painter) override
    {
        if (!shown())
            return;
        const QPen pen = owner_->series(channel_)->pen();
        const QSize icon = mParentLegend->iconSize();
        const QRect r = mRect;
        const double y = r.top() + r.height() / 2.0;
        painter->setPen(QPen(pen.color(), std::max(1.0, pen.widthF())));
        painter->drawLine(QLineF(r.left(), y, r.left() + icon.width(), y));
        painter->setFont(mFont);
        painter->setPen(pen.color());
        const int textLeft = r.left() + icon.width() + mParentLegend->iconTextPadding();
        painter->drawText(QRect(textLeft, r.top(), r.right() - textLeft + 1, r.height()),
                          Qt::AlignLeft | Qt::AlignVCenter, text());
    }

    QSize minimumOuterSizeHint() const override
    {
        if (!shown())
            return {0, 0};
        const QFontMetrics metrics(mFont);
        const QSize icon = mParentLegend->iconSize();
        const QSize textSize = metrics.size(Qt::TextSingleLine, text());
        return {icon.width() + mParentLegend->iconTextPadding() + textSize.width() + mMargins.left() +
                    mMargins.right(),
                std::max(metrics.height(), 2) + mMargins.top() + mMargins.bottom()};
    }

private:
    const ChartBands* owner_;
    int channel_;
};

ChartBands::ChartBands(QCustomPlot* plot) : QObject(plot), plot_(plot)
{
    // The default axis rect goes, and with it the legend it holds: each band gets its own.
    plot_->plotLayout()->clear();
    plot_->plotLayout()->setRowSpacing(0);
    plot_->setPlottingHint(QCP::phFastPolylines, true);
    plot_->setNoAntialiasingOnDrag(true);
    // The wheel zooms through the chart; the drags are handled here (see onMousePress).
    plot_->setInteractions(QCP::iRangeZoom);

    auto* margins = new QCPMarginGroup(plot_);
    const QFont titleFont(plot_->font().family(), 10);
    // Band heights in the proportions the bands have always had: 28 %, 28 % and 29 % of
    // the plot with 5 % gaps.
    const int stretch[kBands] = {28, 28, 29};
    for (int m = 0; m < kBands; ++m) {
        auto* rect = new QCPAxisRect(plot_);
        plot_->plotLayout()->addElement(m, 0, rect);
        plot_->plotLayout()->setRowStretchFactor(m, stretch[m]);
        rect->setMarginGroup(QCP::msLeft | QCP::msRight, margins);
        rect->setRangeDrag(Qt::Horizontal);
        rect->setRangeZoom(Qt::Horizontal);
        QCPAxis* bottom = rect->axis(QCPAxis::atBottom);
        rect->setRangeDragAxes(bottom, nullptr);
        rect->setRangeZoomAxes(bottom, nullptr);
        rect->axis(QCPAxis::atTop)->setVisible(false);
        if (m < kBands - 1)
            bottom->setTickLabels(false);   // one set of x labels, under the lowest band
        QCPAxis* left = rect->axis(QCPAxis::atLeft);
        QCPAxis* right = rect->axis(QCPAxis::atRight);
        right->setVisible(true);
        right->setTickLabels(true);
        bands_[static_cast<size_t>(m)] = rect;
        axes_[static_cast<size_t>(2 * m)] = left;
        axes_[static_cast<size_t>(2 * m + 1)] = right;
        connect(bottom, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), this,
                [this, bottom](const QCPRange&) { onBottomRangeChanged(bottom); });
    }
    for (int c = 0; c < kChannels; ++c) {
        QCPAxis* axis = axes_[static_cast<size_t>(c)];
        axis->setLabelFont(titleFont);
        axis->setRange(0, 100);
        QCPGraph* graph = plot_->addGraph(bands_[static_cast<size_t>(c / 2)]->axis(QCPAxis::atBottom), axis);
        graph->setName(QStringLiteral("Series%1").arg(c + 1));
        series_[static_cast<size_t>(c)] = graph;
    }

    // Each band's legend sits in its top right corner, small and see-through enough to leave
    // the curves under it readable.
    const QFont legendFont(plot_->font().family(), 8);
    for (int m = 0; m < kBands; ++m) {
        auto* legend = new QCPLegend;
        bands_[static_cast<size_t>(m)]->insetLayout()->addElement(legend, Qt::AlignTop | Qt::AlignRight);
        legend->setLayer(QStringLiteral("legend"));
        legend->setFont(legendFont);
        legend->setBrush(QColor(255, 255, 255, 190));
        legend->setBorderPen(QPen(QColor(160, 160, 160, 200)));
        legend->setIconSize(16, 8);
        legend->setRowSpacing(0);
        legend->setMargins(QMargins(4, 2, 4, 2));
        legend->setSelectableParts(QCPLegend::spNone);
        for (int c = 2 * m; c < 2 * m + 2; ++c) {
            auto* entry = new LegendEntry(legend, this, c);
            entry->setFont(legendFont);
            entry->setMargins(QMargins(2, 0, 2, 0));
            legend->addItem(entry);
        }
        legends_[static_cast<size_t>(m)] = legend;
        updateLegend(m);
    }
    // The first band's legend made itself the chart's legend, where any curve added later
    // would list itself; the band legends list their own curves only.
    plot_->legend = nullptr;
    plot_->setAutoAddPlottableToLegend(false);

    // The cursors on a buffered layer of their own above the whole chart.
    plot_->addLayer(QStringLiteral("cursors"), plot_->layer(QStringLiteral("overlay")),
                    QCustomPlot::limAbove);
    cursorLayer_ = plot_->layer(QStringLiteral("cursors"));
    cursorLayer_->setMode(QCPLayer::lmBuffered);
    cursorItem_ = new CursorLayerable(plot_, QStringLiteral("cursors"), this);

    connect(plot_, &QCustomPlot::axisClick, this,
            [this](QCPAxis* axis, QCPAxis::SelectablePart, QMouseEvent*) { onAxisClick(axis); });
    connect(plot_, &QCustomPlot::mouseDoubleClick, this, [this](QMouseEvent*) {
        if (zoomPan_)
            undoZoom();
    });
    connect(plot_, &QCustomPlot::beforeReplot, this, [this] {
        refreshLongCurves();
        emit beforeDraw();
    });
    connect(plot_, &QCustomPlot::afterReplot, this, [this] {
        rendered_ = true;
        emit afterDraw();
    });
    // The right button pans, so the menu opens on a right click that did not move (onMouseRelease),
    // and no context menu event may take the right presses away from the chart.
    plot_->setContextMenuPolicy(Qt::PreventContextMenu);
    imageMenu_ = new ChartImageMenu(plot_, false);
    const struct {
        QKeySequence key;
        double factor;
    } zoomKeys[] = {{QKeySequence(Qt::Key_Plus), kKeyZoom},
                    {QKeySequence(Qt::Key_Equal), kKeyZoom},
                    {QKeySequence(Qt::Key_Minus), 1.0 / kKeyZoom}};
    for (const auto& zoom : zoomKeys) {
        auto* shortcut = new QShortcut(zoom.key, plot_);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, factor = zoom.factor]() {
            if (zoomPan_)
                zoomAboutMiddle(factor);
        });
    }
    connect(plot_, &QCustomPlot::mousePress, this, &ChartBands::onMousePress);
    connect(plot_, &QCustomPlot::mouseMove, this, &ChartBands::onMouseMove);
    connect(plot_, &QCustomPlot::mouseRelease, this, &ChartBands::onMouseRelease);
    connect(plot_, &QCustomPlot::mousePress, this, &ChartBands::mousePressed);
    connect(plot_, &QCustomPlot::mouseMove, this, &ChartBands::mouseMoved);
    connect(plot_, &QCustomPlot::mouseRelease, this, &ChartBands::mouseReleased);
}

ChartBands::~ChartBands() = default;

QCPAxis* ChartBands::bottomAxis() const
{
    return bands_[kBands - 1]->axis(QCPAxis::atBottom);
}

void ChartBands::applyChannelSettings(int target, const Settings& s, int source)
{
    if (target < 0 || target >= kChannels || source < 0 || source >= kChannels)
        return;
    const auto src = static_cast<size_t>(source);
    const QColor color = ColorFromWord(s.G_Color[src]);
    QCPGraph* graph = series(target);
    graph->setPen(QPen(color, std::max(1, s.G_Tol[src])));
    // The scale in the curve's colour tells which of a band's two curves it measures.
    if (auto& faded = fadedAxes_[static_cast<size_t>(target)]) {
        faded->label = color;   // shown when the curve is
        faded->tickLabels = color;
    } else {
        valueAxis(target)->setLabelColor(color);
        valueAxis(target)->setTickLabelColor(color);
    }
    setAxisLimits(target, s.G_Min[src], s.G_Max[src]);
    setAxisAutomatic(target, s.G_Auto[src]);
    setAxisGrid(target, s.G_Setka[src]);
}

void ChartBands::applyAxisDialogResult(int k, const Settings& s)
{
    if (k < 0 || k >= kChannels)
        return;
    if (s.applyAxisToAll) {
        for (int c = 0; c < kChannels; ++c)
            applyChannelSettings(c, s, k);
    } else {
        applyChannelSettings(k, s, k);
    }
}

void ChartBands::setSeriesVisible(int channel, bool visible)
{
    series(channel)->setVisible(visible);
    // The axis of a hidden curve would show a scale and a title for nothing. Hiding it would
    // move the band's edge and every cursor with it, so it is made transparent instead.
    QCPAxis* axis = valueAxis(channel);
    auto& faded = fadedAxes_[static_cast<size_t>(channel)];
    if (!visible && !faded) {
        faded = AxisLook{axis->labelColor(), axis->tickLabelColor(), axis->basePen(), axis->tickPen(),
                         axis->subTickPen()};
        axis->setLabelColor(Qt::transparent);
        axis->setTickLabelColor(Qt::transparent);
        for (auto setter : {&QCPAxis::setBasePen, &QCPAxis::setTickPen, &QCPAxis::setSubTickPen})
            (axis->*setter)(QPen(Qt::transparent));
    } else if (visible && faded) {
        axis->setLabelColor(faded->label);
        axis->setTickLabelColor(faded->tickLabels);
        axis->setBasePen(faded->base);
        axis->setTickPen(faded->tick);
        axis->setSubTickPen(faded->subTick);
        faded.reset();
    }
    updateLegend(channel / 2);
}

bool ChartBands::seriesVisible(int channel) const
{
    return series(channel)->visible();
}

void ChartBands::setAxisTitle(int channel, const QString& title)
{
    valueAxis(channel)->setLabel(title);
}

QString ChartBands::axisTitle(int channel) const
{
    return valueAxis(channel)->label();
}

void ChartBands::updateLegend(int band)
{
    // A band with both curves hidden shows no empty frame.
    legends_[static_cast<size_t>(band)]->setVisible(seriesVisible(2 * band) || seriesVisible(2 * band + 1));
}

QStringList ChartBands::legendTexts(int m) const
{
    QStringList texts;
    const QCPLegend* legend = legends_[static_cast<size_t>(m)];
    if (!legend->visible())
        return texts;
    for (int i = 0; i < legend->itemCount(); ++i) {
        const auto* entry = static_cast<const LegendEntry*>(legend->item(i));
        if (entry->shown())
            texts << entry->text();
    }
    return texts;
}

void ChartBands::setAxisLimits(int channel, double lower, double upper)
{
    if (lower < upper)
        valueAxis(channel)->setRange(lower, upper);
}

void ChartBands::setAxisAutomatic(int channel, bool automatic)
{
    automatic_[static_cast<size_t>(channel)] = automatic;
    if (automatic)
        fitAxisToData(channel);
}

void ChartBands::setAxisGrid(int channel, bool visible)
{
    valueAxis(channel)->grid()->setVisible(visible);
}

void ChartBands::setSeriesData(int channel, const double* x, const double* y, int count, double factor)
{
    const auto ch = static_cast<size_t>(channel);
    QSharedPointer<QCPGraphDataContainer> container = series(channel)->data();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    // The value range is gathered in the same pass, so an automatic axis needs no second
    // sweep over millions of points (NaN compares false and is left out).
    if (count > kEveryPointLimit) {
        // The points picked over the whole extent hold every bucket's extremes, so the value
        // range comes with them; and they are what a chart showing the whole extent draws.
        longCurves_[ch] = LongCurve{x, y, count, factor, 0.0, 0.0, 0};
        pickLongCurve(channel, x[0], x[count - 1], longCurveBuckets());
        for (const QCPGraphData& p : *container) {
            lo = p.value < lo ? p.value : lo;
            hi = p.value > hi ? p.value : hi;
        }
    } else if (container->size() == count) {
        longCurves_[ch] = LongCurve{};
        // Same length as before (a redraw): overwrite in place, no allocation.
        auto it = container->begin();
        for (int i = 0; i < count; ++i, ++it) {
            const double v = factor * y[i];
            it->key = x[i];
            it->value = v;
            lo = v < lo ? v : lo;
            hi = v > hi ? v : hi;
        }
    } else {
        longCurves_[ch] = LongCurve{};
        QVector<QCPGraphData> points;
        points.reserve(std::max(0, count));
        for (int i = 0; i < count; ++i) {
            const double v = factor * y[i];
            points.append(QCPGraphData(x[i], v));
            lo = v < lo ? v : lo;
            hi = v > hi ? v : hi;
        }
        container->set(points, true);
    }
    dataValid_[ch] = lo <= hi;
    dataLow_[ch] = lo;
    dataHigh_[ch] = hi;
    if (automatic_[ch])
        fitAxisToData(channel);
}

int ChartBands::seriesSampleCount(int channel) const
{
    const LongCurve& curve = longCurves_[static_cast<size_t>(channel)];
    return curve.x ? curve.count : series(channel)->data()->size();
}

int ChartBands::longCurveBuckets() const
{
    // At least two buckets per pixel column, so each column's extremes are those of the
    // samples it covers; 2048 keeps a chart not yet laid out from looking coarse.
    return std::max(2048, 2 * bottomAxis()->axisRect()->width());
}

void ChartBands::pickLongCurve(int channel, double lower, double upper, int buckets)
{
    LongCurve& curve = longCurves_[static_cast<size_t>(channel)];
    EnvelopeIndices(curve.x, curve.y, curve.count, lower, upper, buckets, picks_);
    QVector<QCPGraphData> points;
    points.reserve(static_cast<qsizetype>(picks_.size()));
    for (const int i : picks_)
        points.append(QCPGraphData(curve.x[i], curve.factor * curve.y[i]));
    series(channel)->data()->set(points, true);
    curve.pickedLower = lower;
    curve.pickedUpper = upper;
    curve.pickedBuckets = buckets;
}

void ChartBands::refreshLongCurves()
{
    const QCPRange range = bottomAxis()->range();
    const int buckets = longCurveBuckets();
    for (int c = 0; c < kChannels; ++c) {
        const LongCurve& curve = longCurves_[static_cast<size_t>(c)];
        if (curve.x && (curve.pickedBuckets != buckets || curve.pickedLower != range.lower ||
                        curve.pickedUpper != range.upper))
            pickLongCurve(c, range.lower, range.upper, buckets);
    }
}

void ChartBands::fitAxisToData(int channel)
{
    const auto ch = static_cast<size_t>(channel);
    if (!dataValid_[ch])
        return;
    QCPAxis* axis = valueAxis(channel);
    if (dataLow_[ch] < dataHigh_[ch]) {
        axis->setRange(dataLow_[ch], dataHigh_[ch]);
    } else {
        // A flat curve keeps the axis' extent, centred on its value.
        const double half = axis->range().size() / 2;
        axis->setRange(dataLow_[ch] - half, dataLow_[ch] + half);
    }
}

void ChartBands::clearSeries(int channel)
{
    series(channel)->data()->clear();
    longCurves_[static_cast<size_t>(channel)] = LongCurve{};
    dataValid_[static_cast<size_t>(channel)] = false;
}

void ChartBands::setXRange(double lower, double upper)
{
    if (lower < upper)
        bottomAxis()->setRange(lower, upper);
}

double ChartBands::xMinimum() const
{
    return bottomAxis()->range().lower;
}

double ChartBands::xMaximum() const
{
    return bottomAxis()->range().upper;
}

double ReadableTickStep(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return step;
    // Labels every 0.0999 s read as "0,0999", "0,1998"...: the nearest step of 1, 2, 2.5 or 5
    // times a power of ten keeps about as many labels and gives round numbers.
    const double power = std::pow(10.0, std::floor(std::log10(step)));
    double best = power;
    for (double m : {1.0, 2.0, 2.5, 5.0, 10.0})
        if (std::abs(m * power - step) < std::abs(best - step))
            best = m * power;
    return best;
}

void ChartBands::setLabelIncrement(double step)
{
    if (!(step > 0) || !std::isfinite(step))
        return;
    labelStep_ = step;
    for (QCPAxisRect* rect : bands_) {
        QCPAxis* bottom = rect->axis(QCPAxis::atBottom);
        auto fixed = bottom->ticker().dynamicCast<QCPAxisTickerFixed>();
        if (!fixed) {
            fixed = QSharedPointer<QCPAxisTickerFixed>(new QCPAxisTickerFixed);
            fixed->setScaleStrategy(QCPAxisTickerFixed::ssNone);
            bottom->setTicker(fixed);
        }
        fixed->setTickStep(ReadableTickStep(step));
    }
}
