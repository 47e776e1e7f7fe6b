// The chart bands under the mouse and the keys: zooming and panning along time, marking a range
// to zoom into, undoing the zoom, and the two cursor lines.
#include "ChartBands.h"

#include "ChartImage.h"

#include <QMouseEvent>
#include <QScreen>

#include <qcustomplot.h>

#include <algorithm>
#include <cmath>

void ChartBands::setZoomPanEnabled(bool enabled)
{
    zoomPan_ = enabled;
    plot_->setInteraction(QCP::iRangeZoom, enabled);
    if (!enabled && drag_ != Drag::None) {
        const bool wasMarking = drag_ == Drag::Marking;
        drag_ = Drag::None;
        if (wasMarking && rendered_)
            cursorLayer_->replot();
    }
}

bool ChartBands::insideBands(const QPointF& pos) const
{
    return std::any_of(bands_.begin(), bands_.end(),
                       [&pos](const QCPAxisRect* rect) { return rect->rect().contains(pos.toPoint()); });
}

void ChartBands::onMousePress(QMouseEvent* event)
{
    // A drag whose release never came (the window lost the mouse) ends with the next press.
    const bool staleMark = drag_ == Drag::Marking;
    drag_ = Drag::None;
    rightPressed_ = event->button() == Qt::RightButton;
    rightPress_ = event->position();
    if (staleMark)
        redrawCursors();
    if (!zoomPan_ || !insideBands(event->position()))
        return;
    const double x = event->position().x();
    const bool pan = event->button() == Qt::RightButton ||
                     (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier));
    if (pan) {
        drag_ = Drag::Panning;
        const QCPRange range = bottomAxis()->range();
        panLower_ = range.lower;
        panUpper_ = range.upper;
    } else if (event->button() == Qt::LeftButton) {
        // A press on a shown cursor starts the window's cursor drag, not a range; the windows
        // grab a cursor within a hundredth of the screen's width.
        const QScreen* screen = plot_->screen();
        const int grab = std::max(kCursorGrab, screen ? screen->availableGeometry().width() / 100 : 0);
        if (cursorsOn_ && (std::abs(x - cursor1_) <= grab || std::abs(x - cursor2_) <= grab))
            return;
        drag_ = Drag::Marking;
    } else {
        return;
    }
    dragStart_ = x;
    dragNow_ = x;
}

void ChartBands::onMouseMove(QMouseEvent* event)
{
    if (drag_ == Drag::None)
        return;
    dragNow_ = event->position().x();
    if (drag_ == Drag::Marking) {
        redrawCursors();
        return;
    }
    const double width = std::max(1, bottomAxis()->axisRect()->width());
    const double shift = (dragNow_ - dragStart_) * (panUpper_ - panLower_) / width;
    bottomAxis()->setRange(panLower_ - shift, panUpper_ - shift);
    plot_->replot(QCustomPlot::rpQueuedReplot);
}

void ChartBands::onMouseRelease(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton && rightPressed_) {
        rightPressed_ = false;
        const QPointF moved = event->position() - rightPress_;
        if (std::abs(moved.x()) <= kClickSlack && std::abs(moved.y()) <= kClickSlack) {
            if (drag_ == Drag::Panning) {
                drag_ = Drag::None;
                // A click moves nothing, yet a pan may have shifted by the slack: back to the start.
                bottomAxis()->setRange(panLower_, panUpper_);
                plot_->replot(QCustomPlot::rpQueuedReplot);
            }
            imageMenu_->popup(event->globalPosition().toPoint());
            return;
        }
    }
    const Drag drag = drag_;
    if (drag == Drag::None)
        return;
    const bool marking = drag == Drag::Marking;
    const bool released = marking ? event->button() == Qt::LeftButton
                                  : (event->button() == Qt::RightButton || event->button() == Qt::LeftButton);
    if (!released)
        return;
    dragNow_ = event->position().x();
    drag_ = Drag::None;
    if (!marking) {
        plot_->replot(QCustomPlot::rpQueuedReplot);
        return;
    }
    const double distance = dragNow_ - dragStart_;
    if (distance >= kMarkMinimum) {
        const double from = std::max(dragStart_, double(xPixelStart()));
        const double to = std::min(dragNow_, double(xPixelEnd()));
        if (from < to) {
            setXRange(pixelToX(from), pixelToX(to));
            replot();
            return;
        }
    } else if (distance <= -kMarkMinimum) {
        undoZoom();
        return;
    }
    redrawCursors();   // the marked range goes
}

void ChartBands::zoomAboutMiddle(double factor)
{
    if (factor <= 0.0)
        return;
    const QCPRange range = bottomAxis()->range();
    const double middle = range.center();
    const double half = range.size() / (2.0 * factor);
    setXRange(middle - half, middle + half);
    replot();
}

double ChartBands::pixelToX(double pixel) const
{
    return series(0)->keyAxis()->pixelToCoord(pixel);
}

double ChartBands::xToPixel(double x) const
{
    return series(0)->keyAxis()->coordToPixel(x);
}

int ChartBands::xPixelStart() const
{
    return bottomAxis()->axisRect()->left();
}

int ChartBands::xPixelEnd() const
{
    return bottomAxis()->axisRect()->right();
}

void ChartBands::setCursorsVisible(bool visible)
{
    cursorsOn_ = visible;
    redrawCursors();
}

void ChartBands::setCursorPixels(int pixel1, int pixel2)
{
    cursor1_ = pixel1;
    cursor2_ = pixel2;
}

void ChartBands::redrawCursors()
{
    if (!rendered_) {
        replot();
        return;
    }
    cursorLayer_->replot();
}

void ChartBands::replot()
{
    plot_->replot(QCustomPlot::rpImmediateRefresh);
}

void ChartBands::onAxisClick(QCPAxis* axis)
{
    const auto it = std::find(axes_.begin(), axes_.end(), axis);
    emit axisClicked(it == axes_.end() ? -1 : static_cast<int>(it - axes_.begin()));
}

void ChartBands::onBottomRangeChanged(QCPAxis* source)
{
    if (syncing_)
        return;
    syncing_ = true;
    const QCPRange range = source->range();
    for (QCPAxisRect* rect : bands_) {
        QCPAxis* bottom = rect->axis(QCPAxis::atBottom);
        if (bottom != source)
            bottom->setRange(range);
    }
    syncing_ = false;
    emit xRangeChanged(range.lower, range.upper);
}

void ChartBands::undoZoom()
{
    bool found = false;
    QCPRange extent;
    for (int c = 0; c < kChannels; ++c) {
        const LongCurve& curve = longCurves_[static_cast<size_t>(c)];
        bool ok = curve.x != nullptr;
        const QCPRange r = ok ? QCPRange(curve.x[0], curve.x[curve.count - 1]) : series(c)->getKeyRange(ok);
        if (!ok)
            continue;
        extent = found ? QCPRange(std::min(extent.lower, r.lower), std::max(extent.upper, r.upper)) : r;
        found = true;
    }
    if (found)
        setXRange(extent.lower, extent.upper);
    emit zoomUndone();
    replot();
}
