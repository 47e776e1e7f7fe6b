// The shared six-channel chart: band layout and axis sides, one x range for all bands,
// horizontal-only zoom, axis clicks mapped to channels, restyling after the axis dialog, and
// cursors that repaint their own layer only.
#include "ChartBands.h"

#include "ChartColorButton.h"
#include "Settings.h"

#include <QtTest>

#include <qcustomplot.h>

#include <vector>

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
};

QTEST_MAIN(ChartBandsTest)
#include "tst_chartbands.moc"
