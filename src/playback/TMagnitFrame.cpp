// Reading and drawing the frames of the playback window: the frame arrays, one frame read
// from the reader (swapped in only once complete), its display copy through the band filter,
// and the reader's moves back by whole seconds.
#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "MessageBox.h"
#include "Settings.h"

#include <QStyle>

#include <algorithm>

const std::vector<double>& TMagnit::rawChannel(int channel) const
{
    return raw_[static_cast<size_t>(std::clamp(channel, 0, 5))];
}

std::array<double*, 6> TMagnit::channelPointers(std::array<std::vector<double>, 6>& arrays)
{
    std::array<double*, 6> out{};
    for (size_t c = 0; c < out.size(); ++c)
        out[c] = arrays[c].data();
    return out;
}

void TMagnit::allocateFrame(int seconds)
{
    const Settings& s = CurrentSettings();
    frameSeconds_ = std::max(1, seconds);
    decimation_ = std::max(1, s.prorezM);
    plan_ = PlanPlaybackFrame(frameSeconds_, rate_, decimation_);
    // The frame on screen keeps its own arrays until a frame of the new length is complete.
    const size_t n = static_cast<size_t>(plan_.count);
    for (auto& channel : staged_)
        channel.assign(n, 0.0);
    stagedTime_.assign(n, 0.0);
    // The caller moves the reader away from the end of the frame shown.
    frameStartPosition_ = frameEndPosition_ = -1;
}

void TMagnit::resetPanel()
{
    ui->Panel2->setText(QString());
    QPalette palette = ui->Panel2->palette();
    palette.setColor(QPalette::Window, ui->Panel2->style()->standardPalette().color(QPalette::Button));
    ui->Panel2->setPalette(palette);
}

bool TMagnit::DisplayFrame(bool read)
{
    if (!reader_ || plan_.count <= 0)
        return true;
    ui->Panel2->setText(tr("Чтение"));
    QPalette palette = ui->Panel2->palette();
    palette.setColor(QPalette::Window, Qt::red);
    ui->Panel2->setPalette(palette);
    // Paint the indicator alone; processing all pending events here would let clicks run
    // in the middle of a frame.
    ui->Panel2->repaint();

    const Settings& s = CurrentSettings();
    factors_ = PlaybackScaleFactors(s, unitIndex());
    if (read) {
        const int64_t start = reader_->Position();
        // kRawFrameEnd: the recording has ended, nothing to report here; 1: the reader has
        // shown its boxes. Either way the frame shown stays.
        if (reader_->ReadFrame(plan_.step, plan_.count, stagedTime_.data(), channelPointers(staged_),
                               frameSeconds_) != 0)
            return true;
        if (plan_.trailing > 0) {
            // Past the records between the last sample and the next frame, so that the file
            // has moved on by exactly the frame, as the clock has. A frame whose samples are
            // all in is shown even if the recording ends inside this tail.
            double tailTime = 0.0;
            std::array<double, 6> tail{};
            std::array<double*, 6> tailPointers{};
            for (size_t c = 0; c < tail.size(); ++c)
                tailPointers[c] = &tail[c];
            (void)reader_->ReadFrame(static_cast<int>(plan_.trailing), 1, &tailTime, tailPointers, 0);
        }
        std::swap(raw_, staged_);
        std::swap(time_, stagedTime_);
        n_ = plan_.count;
        shownSeconds_ = frameSeconds_;
        const size_t n = static_cast<size_t>(n_);
        for (auto& channel : staged_)   // still of a former length after a length change
            channel.resize(n);
        stagedTime_.resize(n);
        for (auto& channel : displayed_)
            channel.resize(n);
        relativeTime_.resize(n);
        frameStartPosition_ = start;
        frameEndPosition_ = reader_->Position();
        frameLoaded_ = true;
    }
    if (!frameLoaded_) {
        resetPanel();
        return false;
    }

    // The raw frame stays as read (the export and every redraw start from it); the display
    // gets a filtered copy, so redrawing in another unit filters the samples once, not again.
    const int order = ui->ComboBox1->currentIndex();
    const bool filtered =
        FilterPlaybackDisplay(raw_, displayed_, order, ui->CSpinEdit2->value(), ui->CSpinEdit3->value(),
                              PlaybackDisplayRate(rate_, decimation_));
    if (order != 0 && !filtered) {
        // The curves are shown as read; "Применить" stays available, since the settings have
        // not taken effect.
        filterFailed_ = true;
        ui->Button3->setEnabled(true);
    }
    displayFiltered_ = filtered;
    FrameRelativeTimes(time_.data(), n_, relativeTime_.data());

    ui->TrackBar1->setValue(PlaybackTrackSecond(time_[0]));
    for (int c = 0; c < 6; ++c) {
        bands_->setSeriesData(c, relativeTime_.data(), displayed_[static_cast<size_t>(c)].data(), n_,
                              factors_[static_cast<size_t>(c)]);
    }
    if (read && n_ > 1)
        bands_->setXRange(0.0, relativeTime_.back());
    bands_->replot();
    resetPanel();
    return false;
}

bool TMagnit::stepForward()
{
    if (!DisplayFrame(true))
        return false;
    markBoundary();
    return true;
}

void TMagnit::markBoundary()
{
    boundary_ = true;
    ui->Button2->setVisible(true);
    ui->Button2->setEnabled(false);
    resetPanel();
}

void TMagnit::reportFilterFailure()
{
    if (!filterFailed_)
        return;
    filterFailed_ = false;
    // Once for the settings in force: a play loop must not stop at every frame.
    if (filterErrorShown_)
        return;
    filterErrorShown_ = true;
    ShowMessageBox("ВНИМАНИЕ", tr("Ошибка фильтрации").toStdString(), MB_OK | MB_ICONWARNING);
}

bool TMagnit::backOverSeconds(int seconds)
{
    // Checked here, so that the start of the file is a boundary the window announces once,
    // not an error box for every second that could not be moved.
    if (!PlaybackBackStepFits(reader_->Position(), seconds, rate_))
        return false;
    for (int i = 0; i < seconds; ++i)
        if (reader_->BackOneSecond() != 0)
            return false;
    return true;
}
