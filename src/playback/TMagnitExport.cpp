// The playback window's export: the visible stretch of the frame shown, read again at full
// rate and unfiltered, written as a segment file the processing window opens.
#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "MessageBox.h"
#include "ReadWriteMyFile.h"
#include "Recording.h"
#include "RecentFolders.h"
#include "Settings.h"
#include "TS_Wait.h"
#include "WrittenNote.h"

#include <QFileDialog>
#include <QFileInfo>

QString TMagnit::defaultSaveFileChooser(QWidget* owner)
{
    QFileDialog SD(owner);
    SD.setAcceptMode(QFileDialog::AcceptSave);
    SD.setDefaultSuffix(QStringLiteral("kvnb"));
    SD.setNameFilter(tr("Файл *kvnb (*.kvnb)"));
    // The window asks "Файл существует.Переписать?" itself.
    SD.setOption(QFileDialog::DontConfirmOverwrite, true);
    StartInRecentFolder(SD, FolderKind::Recordings);
    if (SD.exec() != QDialog::Accepted || SD.selectedFiles().isEmpty())
        return {};
    RememberDialogFolder(SD, FolderKind::Recordings);
    return SD.selectedFiles().constFirst();
}

void TMagnit::setSaveFileChooser(std::function<QString(QWidget*)> chooser)
{
    chooseSaveFile_ = std::move(chooser);
}

void TMagnit::BitBtn8Click()
{
    if (!reader_ || !chooseSaveFile_)
        return;
    const QString name = chooseSaveFile_(this);
    if (name.isEmpty() || !reader_)
        return;
    bool replace = false;
    if (QFileInfo::exists(name)) {
        if (!MayReplaceFile(name))
            return;
        // The writer replaces the old file only once the new one is complete.
        replace = true;
    }

    auto wait = std::make_unique<TS_Wait>(this);
    wait->setText(tr("Запись файла"));
    wait->showAndPaint();
    if (!reader_)
        return;

    // The frame shown, at full rate; the visible window is relative to its first sample.
    ExportSource source;
    source.frameLoaded = frameLoaded_;
    source.shownSeconds = shownSeconds_;
    source.frameSeconds = frameSeconds_;
    source.firstTime = frameLoaded_ ? time_[0] : 0.0;
    source.frameStart = frameStartPosition_;
    source.frameEnd = frameEndPosition_;
    source.position = reader_->Position();
    source.trackSecond = ui->TrackBar1->value();
    const ExportRead plan = PlanExportRead(source, rate_);
    std::array<std::vector<double>, 6> channels;
    for (auto& channel : channels)
        channel.assign(static_cast<size_t>(plan.total), 0.0);
    std::vector<double> time(static_cast<size_t>(plan.total), 0.0);
    const double visibleMin = bands_->xMinimum();
    const double visibleMax = bands_->xMaximum();
    int status = 0;
    if (plan.again) {
        // The same records again: the reader ends where it stood.
        status = backOverSeconds(plan.seconds)
                     ? reader_->ReadFrame(1, plan.total, time.data(), channelPointers(channels), plan.seconds)
                     : 1;
    } else {
        // The start of the frame shown, not wherever the track bar has been dragged since.
        auto seek = [this](uint32_t t) {
            const ClockTime at = SplitClockSeconds(t);
            return reader_->SeekTo(at.hours, at.minutes, at.seconds);
        };
        status = seek(plan.startSecond);
        if (status == 0)
            status = reader_->ReadFrame(1, plan.total, time.data(), channelPointers(channels), plan.seconds);
        // Playback goes on after the frame.
        (void)seek(plan.startSecond + static_cast<uint32_t>(plan.seconds));
    }
    if (status != 0) {
        wait.reset();
        // A damaged stretch has shown the reader's boxes already.
        if (status == kRawFrameEnd)
            ShowMessageBox("ВНИМАНИЕ", tr("Достигнут конец файла").toStdString(), MB_OK);
        return;
    }

    // The visible window is relative to the frame shown; the samples just read may start
    // elsewhere when they had to be found by a seek.
    const double shift = frameLoaded_ ? time_[0] - time[0] : 0.0;
    const ExportStretch stretch =
        SelectExportStretch(time.data(), plan.total, visibleMin + shift, visibleMax + shift, rate_);
    if (stretch.refused) {
        wait.reset();
        ShowMessageBox("ОШИБКА", tr("Слишком малый временной интервал. Запись невозможна!").toStdString(),
                       MB_OK);
        return;
    }

    TReadWriteMyFile file(localPath(name));
    if (file.OpenForWriting(replace))
        return;
    std::array<const double*, 6> from{};
    for (size_t c = 0; c < 6; ++c)
        from[c] = channels[c].data() + stretch.first;
    const std::array<double, 6> sensitivities = ChannelSensitivities(CurrentSettings());
    if (file.WriteSegment(rate_, stretch.duration, sensitivities, from, plan.total - stretch.first))
        return;   // nothing written; the writer drops the unfinished file
    if (file.Close())
        return;
    wait.reset();
    ShowWritten(this, name);
    ShowMessageBox("ВНИМАНИЕ", tr("Файл записан").toStdString(), MB_OK);
}
