// The chart's colour button: shows its colour as a swatch beside the caption and lets the
// user pick another in the platform's colour dialog. Colours travel as the settings' colour
// word 0x00BBGGRR.
#pragma once

#include <QColor>
#include <QPushButton>

#include <cstdint>

QColor ColorFromWord(int32_t word);
int32_t WordFromColor(const QColor& color);

class ChartColorButton : public QPushButton {
    Q_OBJECT
public:
    explicit ChartColorButton(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);

signals:
    void colorChanged(const QColor& color);

private:
    void pick();

    QColor color_ = Qt::blue;
};
