// The processing window's measuring cursors: turning them on and off, dragging them, their
// readouts, and drawing them over the chart without redrawing the curves.
#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "ChartBands.h"
#include "IntensityText.h"
#include "SignalUtils.h"

#include <QMouseEvent>

#include <algorithm>

void TFileSave::Button1Click()
{
    const std::initializer_list<QWidget*> locked = {ui->RadioGroup1, ui->Button4, ui->Button3, ui->BitBtn1,
                                                    ui->GroupBox1};
    if (!cursorsOn_) {
        cursorsOn_ = true;
        ui->Button1->setText(tr("Снять курсоры"));
        ui->Label1->show();
        ui->Label2->show();
        ui->Label3->show();
        ui->Button10->setVisible(!view_.spectrumView && !view_.dbSelected);
        for (QWidget* w : locked)
            w->setEnabled(false);
        const int width = ui->GR->width();
        chart_->setCursorPixels(width / 3, 2 * width / 3);
        DrawCursors();
        UpdateReadouts();
        chart_->setZoomPanEnabled(false);
    } else {
        cursorsOn_ = false;
        dragging_ = false;
        ui->Button10->hide();
        ui->Button1->setText(tr("Установить курсоры"));
        ui->Label1->hide();
        ui->Label2->hide();
        ui->Label3->hide();
        for (QWidget* w : locked)
            w->setEnabled(true);
        chart_->setCursorsVisible(false);
        chart_->setZoomPanEnabled(true);
    }
}

void TFileSave::DrawCursors()
{
    chart_->setCursorsVisible(true);
}

void TFileSave::UpdateReadouts()
{
    const int c1 = chart_->cursorPixel(1);
    const int c2 = chart_->cursorPixel(2);
    const double x1 = chart_->pixelToX(c1);
    const double x2 = chart_->pixelToX(c2);
    std::array<std::string, 3> texts;
    std::array<const double*, 6> set{};
    const double* x = nullptr;
    std::array<int, 2> range{};
    if (view_.spectrumView) {
        // The values drawn: the dB set while the dB unit is shown.
        set = ProcessingData::ConstPointers(view_.dbSelected ? data_.db : data_.spectra);
        x = data_.frequency.data();
        range = {0, data_.halfCount() - 1};
        view_.spectrumReadoutRange = range;
    } else {
        set = ProcessingData::ConstPointers(data_.samples());
        x = data_.segment.time.data();
        range = view_.timeReadoutRange;
    }
    if (x == nullptr || data_.count() < 2)
        return;
    if (view_.spectrumView && view_.intensityShown) {
        // W/m^2 values of 1e-4 and below: the general readout's one decimal would show 0,0.
        const std::array<QString, 3> intensity = IntensityReadoutTexts(x, set, range[0], range[1], x1, x2);
        ui->Label1->setText(intensity[0]);
        ui->Label2->setText(intensity[1]);
        ui->Label3->setText(intensity[2]);
        return;
    }
    BuildCursorReadouts(c1, c2, range[0], range[1], x, set.data(), texts, x1, x2, view_.spectrumView,
                        displayFactors_);
    ui->Label1->setText(QString::fromStdString(texts[0]));
    ui->Label2->setText(QString::fromStdString(texts[1]));
    ui->Label3->setText(QString::fromStdString(texts[2]));
}

void TFileSave::GRMouseDown(int x)
{
    grabTarget_ = CursorGrabTarget(cursorsOn_, x, chart_->cursorPixel(1), chart_->cursorPixel(2),
                                   grabToleranceBase_ / 100);
    dragging_ = grabTarget_ != 0;
}

void TFileSave::GRMouseMove(int x)
{
    if (!dragging_ || !cursorsOn_)
        return;
    if (x < chart_->xPixelStart() || x > chart_->xPixelEnd())
        return;
    if (grabTarget_ == 1)
        chart_->setCursorPixels(x, chart_->cursorPixel(2));
    else
        chart_->setCursorPixels(chart_->cursorPixel(1), x);
    DrawCursors();
    UpdateReadouts();
}

void TFileSave::GRMouseUp()
{
    dragging_ = false;
}

void TFileSave::BeforeDraw()
{
    PlaceRepaintNotice();
    ui->Panel2->show();
    ui->Panel2->raise();
    ui->Panel2->repaint();
}

void TFileSave::AfterDraw()
{
    ui->Panel2->hide();
    // The chart may paint itself empty while the data are still being read; the first
    // draw is the first one with data.
    if (view_.firstDrawPending && data_.count() == 0)
        return;
    if (view_.firstDrawPending) {
        ReleaseWaitNotice();
        ui->Panel1->show();
        ui->Button8->show();
    }
    view_.firstDrawPending = false;
}
