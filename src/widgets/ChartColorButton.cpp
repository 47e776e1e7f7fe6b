#include "ChartColorButton.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

QColor ColorFromWord(int32_t word)
{
    const auto w = static_cast<uint32_t>(word);
    return QColor(static_cast<int>(w & 0xFF), static_cast<int>((w >> 8) & 0xFF),
                  static_cast<int>((w >> 16) & 0xFF));
}

int32_t WordFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return static_cast<int32_t>(static_cast<uint32_t>(c.red()) | (static_cast<uint32_t>(c.green()) << 8) |
                                (static_cast<uint32_t>(c.blue()) << 16));
}

ChartColorButton::ChartColorButton(QWidget* parent) : QPushButton(parent)
{
    connect(this, &QPushButton::clicked, this, &ChartColorButton::pick);
    setColor(color_);
}

void ChartColorButton::setColor(const QColor& color)
{
    const bool changed = color != color_;
    color_ = color;
    QPixmap swatch(28, 14);
    swatch.fill(color_);
    QPainter frame(&swatch);
    frame.setPen(Qt::black);
    frame.drawRect(swatch.rect().adjusted(0, 0, -1, -1));
    frame.end();
    setIcon(QIcon(swatch));
    setIconSize(swatch.size());
    if (changed)
        emit colorChanged(color_);
}

void ChartColorButton::pick()
{
    const QColor chosen = QColorDialog::getColor(color_, this);
    if (chosen.isValid())
        setColor(chosen);
}
