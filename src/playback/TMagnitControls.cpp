#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "MessageBox.h"
#include "Settings.h"
#include "TReGR.h"
#include "TS_Wait.h"

#include <algorithm>

// The playback window's controls: seeking, the frame length, units, channel boxes, the axis
// dialog and the display filter.

void TMagnit::Button2Click()
{
    if (!reader_)
        return;
    ui->Button2->setEnabled(false);
    const uint32_t t = static_cast<uint32_t>(std::max(0, ui->TrackBar1->value()));
    const uint32_t hours = t / 3600;
    const uint32_t minutes = (t - 3600 * hours) / 60;
    const uint32_t seconds = t - 3600 * hours - 60 * minutes;
    if (reader_->SeekTo(hours, minutes, seconds) == 0)
        BitBtn1Click();
}

void TMagnit::CSpinEdit1Change()
{
    frameLengthEdited_ = true;
    ui->Button1->setEnabled(true);
}

void TMagnit::Button1Click()
{
    if (!reader_)
        return;
    bool ended = false;
    {
        TS_Wait wait(this);
        wait.showAndPaint();
        if (!reader_)   // the window was closed while the notice painted
            return;
        Settings& s = CurrentSettings();
        s.prevLCADR = frameSeconds_;
        s.LCADR = ui->CSpinEdit1->value();
        frameLengthEdited_ = true;
        // Back to the start of the frame shown, then show it at the new length.
        const int back = reader_->Position() == frameEndPosition_ ? shownSeconds_ : frameSeconds_;
        allocateFrame(s.LCADR);
        if (!backOverSeconds(back))
            reader_->ToStart();
        ended = stepForward();
        ui->Button1->setEnabled(false);
    }
    // Messages only once the notice has gone.
    reportFilterFailure();
    if (ended && reader_)
        ShowMessageBox("ВНИМАНИЕ", "Достигнут конец файла", MB_OK);
}

void TMagnit::RadioGroup1Click()
{
    (void)DisplayFrame(false);
    reportFilterFailure();
}

void TMagnit::CheckBoxClick(QCheckBox* sender)
{
    const int channel = sender->property("tag").toInt() - 100;
    if (channel < 0 || channel > 5)
        return;
    const bool visible = sender->isChecked();
    bands_->setSeriesVisible(channel, visible);
    CurrentSettings().G_Vis[static_cast<size_t>(channel)] = visible;
    bands_->replot();
}

void TMagnit::CSpinEdit4Change()
{
    CurrentSettings().zader = ui->CSpinEdit4->value();
}

void TMagnit::GRClickAxis(int channel)
{
    if (channel < 0 || channel > 5)
        return;
    {
        TReGR dialog(this, channel);
        dialog.setWindowTitle(QStringLiteral("Канал %1").arg(channel + 1));
        dialog.exec();
    }
    bands_->applyAxisDialogResult(channel, CurrentSettings());
    bands_->replot();
}

void TMagnit::ComboBox1Change()
{
    CurrentSettings().FOrder = ui->ComboBox1->currentIndex();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::CSpinEdit2Change()
{
    CurrentSettings().Fmin = ui->CSpinEdit2->value();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::CSpinEdit3Change()
{
    CurrentSettings().Fmax = ui->CSpinEdit3->value();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::Button3Click()
{
    if (!reader_)
        return;
    {
        TS_Wait wait(this);
        wait.setText(QStringLiteral("Идет фильтрация"));
        wait.showAndPaint();
        ui->Button3->setEnabled(false);
        // The user asked for these settings: a failure is worth saying again.
        filterErrorShown_ = false;
        // The frame shown is still in memory, unfiltered: filtering it anew shows exactly that
        // frame, wherever the reader stands and whatever frame length the spin box shows.
        (void)DisplayFrame(false);
    }
    reportFilterFailure();
}
