// The chart-axis dialog: edits one channel's chart settings (automatic scaling, limits, grid,
// colour, line width) and whether the caller gives them to all six curves. "Применить" checks
// the input, stores it in the settings record and writes the channel's keys to the store at
// once; "Отменить" stores nothing. The caller applies the settings after it closes either way.
#pragma once

#include <QDialog>

namespace Ui {
class TReGR;
}

class TReGR : public QDialog {
    Q_OBJECT
public:
    // channel: 0..5. The caller sets the caption "Канал " + (channel + 1).
    TReGR(QWidget* owner, int channel);
    ~TReGR() override;

    void FormCreate();
    void Button1Click();

    int channel() const { return channel_; }

private:
    Ui::TReGR* ui;
    int channel_;
};
