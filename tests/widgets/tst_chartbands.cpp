// The shared six-channel chart: band layout and axis sides, one x range for all bands,
// horizontal-only zoom by marking, panning and the wheel, axis clicks mapped to channels,
// restyling after the axis dialog, curve colours per side with legends, and cursors that
// repaint their own layer only.
#include "ChartBands.h"

#include "ChartColorButton.h"
#include "Settings.h"

#include <QtTest>

#include <qcustomplot.h>

#include <vector>

namespace {
// A shown chart over x 0 ... 1 with data in every band, laid out and rendered.
struct ShownChart {
    QCustomPlot plot;
    ChartBands chart{&plot};
    std::vector<double> x, y;

    ShownChart() : x(1001), y(1001)
    {
        for (int i = 0; i <= 1000; ++i) {
            x[i] = i * 0.001;
            y[i] = i % 5;
        }
        for (int c = 0; c < ChartBands::kChannels; ++c)
            chart.setSeriesData(c, x.data(), y.data(), 1001, 1.0);
        plot.resize(800, 600);
        plot.show();
        chart.setXRange(0, 1);
        chart.replot();
    }

    int yMiddle() const { return chart.band(1)->center().y(); }

    // x pixel of a fraction of the plotted width
    int pixel(double fraction) const
    {
        return chart.xPixelStart() + int(fraction * (chart.xPixelEnd() - chart.xPixelStart()));
    }

    void drag(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int from, int to)
    {
        QTest::mousePress(&plot, button, modifiers, QPoint(from, yMiddle()));
        QTest::mouseMove(&plot, QPoint((from + to) / 2, yMiddle()));
        QTest::mouseMove(&plot, QPoint(to, yMiddle()));
        QTest::mouseRelease(&plot, button, modifiers, QPoint(to, yMiddle()));
    }
};
}   // namespace

class ChartBandsTest : public QObject {
    Q_OBJECT

private slots:
    void aHiddenCurvesAxisKeepsItsPlaceButShowsNothing()
    {
        QCustomPlot plot;
        plot.resize(800, 600);
        ChartBands chart(&plot);
        Settings s = DefaultSettings();
        chart.applyChannelSettings(1, s, 1);
        const QColor title = chart.valueAxis(1)->labelColor();
        chart.replot();
        const QRect before = chart.band(0)->rect();
        chart.setSeriesVisible(1, false);
        chart.replot();
        QCOMPARE(chart.band(0)->rect(), before);
        QCOMPARE(chart.valueAxis(1)->labelColor().alpha(), 0);
        QCOMPARE(chart.valueAxis(1)->tickLabelColor().alpha(), 0);
        s.G_Color[1] = 0x0000FF;   // restyled while hidden: shown in the new colour
        chart.applyChannelSettings(1, s, 1);
        QCOMPARE(chart.valueAxis(1)->labelColor().alpha(), 0);
        chart.setSeriesVisible(1, true);
        QCOMPARE(chart.valueAxis(1)->labelColor(), ColorFromWord(s.G_Color[1]));
        QVERIFY(ColorFromWord(s.G_Color[1]) != title);
        QVERIFY(chart.valueAxis(1)->tickLabelColor().alpha() > 0);
    }

    void labelsFallOnReadableSteps_data()
    {
        QTest::addColumn<double>("asked");
        QTest::addColumn<double>("drawn");
        QTest::newRow("a tenth of 0.999 s") << 0.0999 << 0.1;
        QTest::newRow("0.3") << 0.3 << 0.25;
        QTest::newRow("0.7") << 0.7 << 0.5;
        QTest::newRow("1.6") << 1.6 << 2.0;
        QTest::newRow("45 Hz") << 45.0 << 50.0;
        QTest::newRow("round already") << 0.002 << 0.002;
    }

    void labelsFallOnReadableSteps()
    {
        QFETCH(double, asked);
        QFETCH(double, drawn);
        QCOMPARE(ReadableTickStep(asked), drawn);
        QCustomPlot plot;
        ChartBands chart(&plot);
        chart.setLabelIncrement(asked);
        QCOMPARE(chart.labelIncrement(), asked);
        const auto ticker = chart.bottomAxis()->ticker().dynamicCast<QCPAxisTickerFixed>();
        QVERIFY(ticker);
        QCOMPARE(ticker->tickStep(), drawn);
    }

    void bandsAndSides()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(800, 600);
        plot.replot();
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(chart.valueAxis(c)->axisRect(), chart.band(c / 2));
            QCOMPARE(chart.valueAxis(c)->axisType(), c % 2 == 0 ? QCPAxis::atLeft : QCPAxis::atRight);
            QCOMPARE(chart.series(c)->valueAxis(), chart.valueAxis(c));
            QCOMPARE(chart.series(c)->name(), QStringLiteral("Series%1").arg(c + 1));
        }
        // Stacked top to bottom, equal left and right edges.
        QVERIFY(chart.band(0)->bottom() < chart.band(1)->top());
        QVERIFY(chart.band(1)->bottom() < chart.band(2)->top());
        QCOMPARE(chart.band(0)->left(), chart.band(2)->left());
        QCOMPARE(chart.band(0)->right(), chart.band(2)->right());
        QCOMPARE(plot.legend, nullptr);
    }

    void oneXRangeAndHorizontalZoomOnly()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(800, 600);
        std::vector<double> x(1000), y(1000);
        for (int i = 0; i < 1000; ++i) {
            x[i] = i * 0.001;
            y[i] = i % 7;
        }
        for (int c = 0; c < 6; ++c)
            chart.setSeriesData(c, x.data(), y.data(), 1000, 2.0);
        chart.setAxisLimits(0, -1, 20);
        chart.setXRange(0, 1);
        plot.replot();
        QSignalSpy zoom(&chart, &ChartBands::xRangeChanged);
        QWheelEvent wheel(QPointF(400, 100), plot.mapToGlobal(QPointF(400, 100)), QPoint(), QPoint(0, 120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&plot, &wheel);
        QVERIFY(zoom.count() >= 1);
        QVERIFY(chart.xMaximum() - chart.xMinimum() < 1.0);
        for (int m = 0; m < 3; ++m)
            QCOMPARE(chart.band(m)->axis(QCPAxis::atBottom)->range(), chart.bottomAxis()->range());
        QCOMPARE(chart.valueAxis(0)->range().lower, -1.0);   // the value axis did not move
        QCOMPARE(chart.valueAxis(0)->range().upper, 20.0);

        // Double click: the whole extent again.
        QSignalSpy undone(&chart, &ChartBands::zoomUndone);
        QTest::mouseDClick(&plot, Qt::LeftButton, Qt::NoModifier, QPoint(400, 100));
        QCOMPARE(undone.count(), 1);
        QCOMPARE(chart.xMinimum(), 0.0);
        QCOMPARE(chart.xMaximum(), 0.999);

        // Without zoom and panning the wheel does nothing.
        chart.setZoomPanEnabled(false);
        zoom.clear();
        QApplication::sendEvent(&plot, &wheel);
        QCOMPARE(zoom.count(), 0);
    }

    // A long curve keeps its samples where they are and holds only what shows: the points are
    // picked again for a zoomed range, and the double click returns to the samples' extent.
    void longCurvesHoldWhatShows()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(800, 600);
        const int n = 400000;
        std::vector<double> x(n), y(n);
        for (int i = 0; i < n; ++i) {
            x[i] = i * 1e-5;
            y[i] = (i % 1000) - 500.0;
        }
        y[n / 2] = 9000.0;
        chart.setAxisAutomatic(0, true);
        chart.setSeriesData(0, x.data(), y.data(), n, 2.0);
        QCOMPARE(chart.seriesSampleCount(0), n);
        QCOMPARE(chart.valueAxis(0)->range().upper, 18000.0);   // from every sample
        chart.setXRange(0, x.back());
        plot.replot();
        const int whole = chart.series(0)->data()->size();
        QVERIFY(whole > 0 && whole < n / 10);
        bool spike = false;
        for (const QCPGraphData& p : *chart.series(0)->data())
            spike = spike || p.value == 18000.0;
        QVERIFY(spike);

        chart.setXRange(1.0, 1.001);   // 100 samples: every one of them
        plot.replot();
        QCOMPARE(chart.series(0)->data()->size(), 102);
        QCOMPARE(chart.series(0)->data()->constBegin()->key, x[99999]);

        QTest::mouseDClick(&plot, Qt::LeftButton, Qt::NoModifier, QPoint(400, 100));
        QCOMPARE(chart.xMinimum(), 0.0);
        QCOMPARE(chart.xMaximum(), x.back());

        chart.clearSeries(0);
        plot.replot();
        QCOMPARE(chart.seriesSampleCount(0), 0);
        QCOMPARE(chart.series(0)->data()->size(), 0);
    }

    void automaticAxesFitTheScaledData()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        const std::vector<double> x{0, 1, 2, 3};
        const std::vector<double> y{-2, 5, std::nan(""), 1};
        chart.setAxisAutomatic(3, true);
        chart.setSeriesData(3, x.data(), y.data(), 4, 10.0);
        QCOMPARE(chart.valueAxis(3)->range().lower, -20.0);
        QCOMPARE(chart.valueAxis(3)->range().upper, 50.0);
        chart.setAxisAutomatic(3, false);
        chart.setAxisLimits(3, 0, 1);
        chart.setSeriesData(3, x.data(), y.data(), 4, 1.0);   // fixed limits stay
        QCOMPARE(chart.valueAxis(3)->range().upper, 1.0);
        chart.setAxisLimits(3, 5, 5);   // an empty range is ignored
        QCOMPARE(chart.valueAxis(3)->range().upper, 1.0);
    }

    void axisClicksNameTheChannel()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(800, 600);
        plot.show();
        QVERIFY(QTest::qWaitForWindowExposed(&plot));
        plot.replot();
        QSignalSpy clicks(&chart, &ChartBands::axisClicked);
        const QCPAxis* right = chart.valueAxis(3);
        QTest::mouseClick(&plot, Qt::LeftButton, Qt::NoModifier,
                          QPoint(right->axisRect()->right() + 3, right->axisRect()->center().y()));
        const QCPAxis* bottom = chart.bottomAxis();
        QTest::mouseClick(&plot, Qt::LeftButton, Qt::NoModifier,
                          QPoint(bottom->axisRect()->center().x(), bottom->axisRect()->bottom() + 3));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(0).at(0).toInt(), 3);
        QCOMPARE(clicks.at(1).at(0).toInt(), -1);
    }

    void axisDialogResultForOneOrAll()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        Settings s = DefaultSettings();
        s.G_Color[2] = 0x00FF00;
        s.G_Tol[2] = 3;
        s.G_Auto[2] = false;
        s.G_Min[2] = -7;
        s.G_Max[2] = 9;
        s.G_Setka[2] = false;
        chart.applyAxisDialogResult(2, s);
        QCOMPARE(chart.series(2)->pen().color(), QColor(0, 255, 0));
        QCOMPARE(chart.series(1)->pen().color(), QColor(0, 0, 255));
        s.applyAxisToAll = true;
        chart.applyAxisDialogResult(2, s);
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(chart.series(c)->pen().color(), QColor(0, 255, 0));
            QCOMPARE(chart.series(c)->pen().width(), 3);
            QCOMPARE(chart.valueAxis(c)->labelColor(), QColor(0, 255, 0));
            QCOMPARE(chart.valueAxis(c)->range(), QCPRange(-7, 9));
            QVERIFY(!chart.valueAxis(c)->grid()->visible());
            QVERIFY(!chart.axisAutomatic(c));
        }
    }

    void cursorsRepaintTheirLayerOnly()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(600, 400);
        chart.replot();
        QVERIFY(chart.hasRendered());
        QSignalSpy full(&chart, &ChartBands::afterDraw);
        chart.setCursorPixels(100, 300);
        chart.setCursorsVisible(true);
        chart.setCursorPixels(150, 300);
        chart.redrawCursors();
        QCOMPARE(full.count(), 0);
        const QImage image = plot.toPixmap(600, 400).toImage();
        QCOMPARE(QColor(image.pixel(150, 5)), QColor(Qt::red));
        QCOMPARE(QColor(image.pixel(300, 395)), QColor(Qt::blue));
        chart.setCursorsVisible(false);
        const QImage cleared = plot.toPixmap(600, 400).toImage();
        QVERIFY(QColor(cleared.pixel(150, 5)) != QColor(Qt::red));
    }

    // A left drag to the right shows the marked range; a drag of less than the minimum leaves
    // the range alone; a left drag to the left shows the whole extent again.
    void leftDragMarksTheRangeToShow()
    {
        ShownChart shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.plot));
        ChartBands& chart = shown.chart;
        QSignalSpy ranges(&chart, &ChartBands::xRangeChanged);
        const int from = shown.pixel(0.25);
        const int to = shown.pixel(0.5);
        const double lower = chart.pixelToX(from);
        const double upper = chart.pixelToX(to);

        QTest::mousePress(&shown.plot, Qt::LeftButton, Qt::NoModifier, QPoint(from, shown.yMiddle()));
        QTest::mouseMove(&shown.plot, QPoint(to, shown.yMiddle()));
        QVERIFY(chart.marking());
        QCOMPARE(chart.xMinimum(), 0.0);   // nothing moves while marking
        const QImage marked = shown.plot.toPixmap(800, 600).toImage();
        const QColor inside(marked.pixel((from + to) / 2, shown.yMiddle()));
        QVERIFY(inside.blue() > inside.red());   // the translucent band shows
        QTest::mouseRelease(&shown.plot, Qt::LeftButton, Qt::NoModifier, QPoint(to, shown.yMiddle()));
        QVERIFY(!chart.marking());
        QVERIFY(std::abs(chart.xMinimum() - lower) < 1e-9);
        QVERIFY(std::abs(chart.xMaximum() - upper) < 1e-9);
        QVERIFY(ranges.count() >= 1);
        QCOMPARE(ranges.last().at(1).toDouble(), chart.xMaximum());
        for (int m = 0; m < 3; ++m)
            QCOMPARE(chart.band(m)->axis(QCPAxis::atBottom)->range(), chart.bottomAxis()->range());

        const QCPRange zoomed = chart.bottomAxis()->range();
        shown.drag(Qt::LeftButton, Qt::NoModifier, to, to + ChartBands::kMarkMinimum / 2);
        QCOMPARE(chart.bottomAxis()->range(), zoomed);
        shown.drag(Qt::LeftButton, Qt::NoModifier, to, to - ChartBands::kMarkMinimum / 2);
        QCOMPARE(chart.bottomAxis()->range(), zoomed);

        QSignalSpy undone(&chart, &ChartBands::zoomUndone);
        shown.drag(Qt::LeftButton, Qt::NoModifier, to, from);
        QCOMPARE(undone.count(), 1);
        QCOMPARE(chart.xMinimum(), 0.0);
        QCOMPARE(chart.xMaximum(), 1.0);
    }

    // The right button, or the left one with Shift, moves the range along without changing
    // its width; with zooming and panning off the drags do nothing.
    void rightOrShiftDragPans_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("right button") << int(Qt::RightButton) << int(Qt::NoModifier);
        QTest::newRow("Shift and left button") << int(Qt::LeftButton) << int(Qt::ShiftModifier);
    }

    void rightOrShiftDragPans()
    {
        QFETCH(int, button);
        QFETCH(int, modifiers);
        ShownChart shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.plot));
        ChartBands& chart = shown.chart;
        chart.setXRange(0.4, 0.6);
        chart.replot();
        QSignalSpy ranges(&chart, &ChartBands::xRangeChanged);
        const int from = shown.pixel(0.5);
        const int to = shown.pixel(0.75);   // a quarter of the width: 0.05 to the left
        shown.drag(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), from, to);
        QVERIFY(ranges.count() >= 1);
        QVERIFY(!chart.marking());
        const double shift = 0.4 - chart.xMinimum();
        QVERIFY2(std::abs(shift - 0.05) < 0.002, qPrintable(QString::number(shift)));
        QVERIFY(std::abs(chart.xMaximum() - chart.xMinimum() - 0.2) < 1e-9);
        for (int m = 0; m < 3; ++m)
            QCOMPARE(chart.band(m)->axis(QCPAxis::atBottom)->range(), chart.bottomAxis()->range());

        chart.setZoomPanEnabled(false);
        const QCPRange before = chart.bottomAxis()->range();
        shown.drag(Qt::MouseButton(button), Qt::KeyboardModifiers(modifiers), from, to);
        shown.drag(Qt::LeftButton, Qt::NoModifier, from, to);
        QCOMPARE(chart.bottomAxis()->range(), before);
    }

    // A press on a shown cursor is the window's drag: it marks nothing, and the window still
    // hears the press, the moves and the release.
    void aPressOnACursorIsNotAZoom()
    {
        ShownChart shown;
        QVERIFY(QTest::qWaitForWindowExposed(&shown.plot));
        ChartBands& chart = shown.chart;
        const int c1 = shown.pixel(0.3);
        chart.setCursorPixels(c1, shown.pixel(0.6));
        chart.setCursorsVisible(true);
        QSignalSpy pressed(&chart, &ChartBands::mousePressed);
        QSignalSpy moved(&chart, &ChartBands::mouseMoved);
        QSignalSpy released(&chart, &ChartBands::mouseReleased);
        shown.drag(Qt::LeftButton, Qt::NoModifier, c1 + 2, c1 + 100);
        QCOMPARE(chart.xMinimum(), 0.0);
        QCOMPARE(chart.xMaximum(), 1.0);
        QCOMPARE(pressed.count(), 1);
        QCOMPARE(moved.count(), 2);
        QCOMPARE(released.count(), 1);
        // Away from the cursors a drag marks as usual.
        shown.drag(Qt::LeftButton, Qt::NoModifier, shown.pixel(0.7), shown.pixel(0.9));
        QVERIFY(chart.xMinimum() > 0.65);
    }

    // Left and right curves differ in colour by default, a colour the user chose wins, and
    // each axis' title and numbers take its curve's colour.
    void curveColoursPerSide()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        Settings s = DefaultSettings();
        for (int c = 0; c < 6; ++c)
            chart.applyChannelSettings(c, s, c);
        for (int m = 0; m < 3; ++m) {
            const QColor left = chart.series(2 * m)->pen().color();
            const QColor right = chart.series(2 * m + 1)->pen().color();
            QCOMPARE(left, QColor(0, 0, 255));
            QVERIFY(right != left);
            QCOMPARE(chart.series(2 * m + 1)->pen().color(), chart.series(1)->pen().color());
            for (int c = 2 * m; c < 2 * m + 2; ++c) {
                QCOMPARE(chart.valueAxis(c)->labelColor(), chart.series(c)->pen().color());
                QCOMPARE(chart.valueAxis(c)->tickLabelColor(), chart.series(c)->pen().color());
            }
        }
        s.G_Color[3] = 0xFF0000;   // the user chose blue for a right-axis curve
        s.G_Color[4] = 0x00FF00;
        chart.applyChannelSettings(3, s, 3);
        chart.applyChannelSettings(4, s, 4);
        QCOMPARE(chart.series(3)->pen().color(), QColor(0, 0, 255));
        QCOMPARE(chart.valueAxis(3)->tickLabelColor(), QColor(0, 0, 255));
        QCOMPARE(chart.series(4)->pen().color(), QColor(0, 255, 0));
    }

    // Each band's legend names its shown curves by their axis titles.
    void legendsNameTheAxisTitles()
    {
        QCustomPlot plot;
        ChartBands chart(&plot);
        plot.resize(800, 600);
        for (int c = 0; c < 6; ++c)
            chart.setAxisTitle(c, QStringLiteral("Канал %1").arg(c + 1));
        chart.setAxisTitle(0, QStringLiteral("Ix, Вт/м²"));
        chart.setAxisTitle(1, QStringLiteral("Jx, Вт/м²"));
        chart.replot();
        QCOMPARE(chart.legendTexts(0),
                 (QStringList{QStringLiteral("Ix, Вт/м²"), QStringLiteral("Jx, Вт/м²")}));
        QCOMPARE(chart.legendTexts(2), (QStringList{QStringLiteral("Канал 5"), QStringLiteral("Канал 6")}));
        QVERIFY(chart.legend(0)->visible());
        // In the band's top right corner.
        const QRect box = chart.legend(0)->outerRect();
        QVERIFY(box.width() > 0 && box.height() > 0);
        QVERIFY(std::abs(box.right() - chart.band(0)->right()) < 20);
        QVERIFY(std::abs(box.top() - chart.band(0)->top()) < 20);
        QVERIFY(box.bottom() < chart.band(0)->bottom());

        chart.setSeriesVisible(1, false);
        chart.replot();
        QCOMPARE(chart.legendTexts(0), QStringList{QStringLiteral("Ix, Вт/м²")});
        QVERIFY(chart.legend(0)->outerRect().height() < box.height());
        chart.setSeriesVisible(0, false);
        QVERIFY(!chart.legend(0)->visible());
        QVERIFY(chart.legendTexts(0).isEmpty());
        chart.setSeriesVisible(1, true);
        QCOMPARE(chart.legendTexts(0), QStringList{QStringLiteral("Jx, Вт/м²")});
    }
};

QTEST_MAIN(ChartBandsTest)
#include "tst_chartbands.moc"
