#include "Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QFontMetricsF>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

QString MakerWebAddress()
{
    return QStringLiteral("https://www.example.org/sonorix");
}

QString MakerEmail()
{
    return QStringLiteral("info@example.org");
}

QString MakerPhone()
{
    return QStringLiteral("+7 (000) 000-00-00");
}

QPixmap SonorixLogo(const QSize& size)
{
    QPixmap pm(size * 2);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(0, 0, size.width(), size.height());

    QLinearGradient bg(r.topLeft(), r.bottomRight());
    bg.setColorAt(0, QColor(0x12, 0x3a, 0x6b));
    bg.setColorAt(1, QColor(0x1f, 0x7a, 0x9c));
    p.setPen(Qt::NoPen);
    p.setBrush(bg);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), r.height() * 0.18, r.height() * 0.18);

    // A wide picture carries the name under the emblem; a square one is the emblem alone.
    const bool withName = r.width() > r.height() * 1.2;
    const double h = withName ? r.height() * 0.68 : r.height();
    const double left = r.left() + (r.width() - h) / 2;

    // Three probe axes meeting at a point, with wave fronts arriving from one side.
    const QPointF o(left + h * 0.45, r.top() + h * 0.66);
    QPen axis(QColor(255, 255, 255, 230), std::max(1.0, h * 0.045), Qt::SolidLine, Qt::RoundCap);
    p.setPen(axis);
    p.drawLine(o, o + QPointF(h * 0.38, 0));
    p.drawLine(o, o + QPointF(0, -h * 0.42));
    p.drawLine(o, o + QPointF(-h * 0.26, h * 0.22));
    p.setBrush(QColor(0xff, 0xc8, 0x3d));
    p.setPen(Qt::NoPen);
    p.drawEllipse(o, h * 0.06, h * 0.06);

    QPen wave(QColor(0xff, 0xc8, 0x3d), std::max(1.0, h * 0.035), Qt::SolidLine, Qt::RoundCap);
    p.setPen(wave);
    p.setBrush(Qt::NoBrush);
    for (int k = 0; k < 3; ++k) {
        const double rad = h * (0.22 + 0.13 * k);
        p.drawArc(QRectF(o.x() - rad, o.y() - rad, 2 * rad, 2 * rad), 20 * 16, 50 * 16);
    }

    if (withName) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        const QRectF band(r.left() + 4, r.top() + h * 0.98, r.width() - 8, r.height() - h * 0.98 - 2);
        int px = std::max(6, static_cast<int>(band.height() * 0.85));
        f.setPixelSize(px);
        while (px > 6 && QFontMetricsF(f).horizontalAdvance(QStringLiteral("Sonorix")) > band.width()) {
            f.setPixelSize(--px);
        }
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(band, Qt::AlignCenter, QStringLiteral("Sonorix"));
    }
    return pm;
}

QIcon SonorixIcon()
{
    QIcon icon;
    for (int s : {16, 32, 48, 64})
        icon.addPixmap(SonorixLogo(QSize(s, s)));
    return icon;
}

QIcon ToolbarGlyph(Glyph glyph)
{
    const int s = 32;
    QPixmap pm(s * 2, s * 2);
    pm.setDevicePixelRatio(2.0);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x1f, 0x4e, 0x79);
    switch (glyph) {
    case Glyph::Open: {
        p.setPen(QPen(ink, 1.5));
        p.setBrush(QColor(0xf2, 0xc1, 0x4e));
        QPainterPath folder;
        folder.moveTo(3, 9);
        folder.lineTo(12, 9);
        folder.lineTo(15, 12);
        folder.lineTo(29, 12);
        folder.lineTo(29, 26);
        folder.lineTo(3, 26);
        folder.closeSubpath();
        p.drawPath(folder);
        p.setPen(QPen(ink, 1.6));
        p.setBrush(Qt::NoBrush);
        QPainterPath wave;
        wave.moveTo(7, 19);
        for (int x = 7; x <= 25; ++x)
            wave.lineTo(x, 19 - 4.0 * std::sin((x - 7) * 0.7));
        p.drawPath(wave);
        break;
    }
    case Glyph::Settings: {
        p.translate(16, 16);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        for (int k = 0; k < 8; ++k) {
            p.drawRoundedRect(QRectF(-2.5, -13, 5, 7), 1, 1);
            p.rotate(45);
        }
        p.drawEllipse(QPointF(0, 0), 9, 9);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0, 0), 4, 4);
        break;
    }
    case Glyph::Channels: {
        const QColor colors[3] = {QColor(0xc0, 0x39, 0x2b), QColor(0x27, 0xae, 0x60),
                                  QColor(0x29, 0x80, 0xb9)};
        for (int k = 0; k < 3; ++k) {
            const double y = 8 + 8 * k;
            p.setPen(QPen(colors[k], 2.0, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(4, y), QPointF(12, y));
            p.drawLine(QPointF(20, y), QPointF(28, y));
            p.setPen(QPen(ink, 1.2));
            p.setBrush(Qt::white);
            p.drawEllipse(QPointF(16, y), 3, 3);
        }
        break;
    }
    }
    return QIcon(pm);
}
