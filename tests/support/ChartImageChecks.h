// Checks that a chart's picture menu writes real pictures: a PNG of more than one colour, an
// SVG that parses and draws, a PDF document; and that copying puts a picture on the clipboard.
#pragma once

#include "ChartImage.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <set>

inline bool HasSeveralColours(const QImage& image)
{
    if (image.isNull())
        return false;
    const QRgb first = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != first)
                return true;
    return false;
}

// How many drawing elements (paths, lines, polylines, rectangles, text, images) an SVG file
// holds; -1 when it does not parse.
inline int SvgDrawingElements(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    QXmlStreamReader xml(&file);
    static const std::set<QString> drawing{"path", "line", "polyline", "polygon", "rect", "text", "image"};
    int count = 0;
    bool svgRoot = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = xml.name().toString();
        if (name == QLatin1String("svg"))
            svgRoot = true;
        if (drawing.count(name))
            ++count;
    }
    return xml.hasError() || !svgRoot ? -1 : count;
}

// Saves through the menu in every format the view offers, at `size`, into dir, and copies.
inline void CheckChartImages(ChartImageMenu& menu, const QTemporaryDir& dir, QSize size)
{
    const QString png = dir.filePath(QStringLiteral("chart.png"));
    QString error;
    QVERIFY2(menu.save(png, size, &error), qPrintable(error));
    const QImage image(png);
    QCOMPARE(image.size(), size);
    QVERIFY(HasSeveralColours(image));

    if (menu.vector()) {
        const QString svg = dir.filePath(QStringLiteral("chart.svg"));
        QVERIFY2(menu.save(svg, size, &error), qPrintable(error));
        QVERIFY(SvgDrawingElements(svg) > 0);
    } else {
        QVERIFY(!menu.save(dir.filePath(QStringLiteral("chart.svg")), size, &error));
        QVERIFY(!error.isEmpty());
    }

    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    QVERIFY2(menu.save(pdf, size, &error), qPrintable(error));
    QFile file(pdf);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(file.read(4) == "%PDF");

    QApplication::clipboard()->clear();
    menu.copy();
    QVERIFY(HasSeveralColours(QApplication::clipboard()->image()));
}
