#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "MessageBox.h"
#include "RawRecord.h"
#include "ReadWriteMyFile.h"
#include "Settings.h"
#include "TS_Wait.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>

// The playback window's export of the visible stretch as a segment file.

std::string TMagnit::localPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

QString TMagnit::defaultSaveFileChooser(QWidget* owner)
{
    QFileDialog SD(owner);
    SD.setAcceptMode(QFileDialog::AcceptSave);
    SD.setDefaultSuffix(QStringLiteral("kvnb"));
    SD.setNameFilter(QStringLiteral("Файл *kvnb (*.kvnb)"));
    // The window asks "Файл существует.Переписать?" itself.
    SD.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (SD.exec() != QDialog::Accepted || SD.selectedFiles().isEmpty())
        return {};
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
        if (ShowMessageBox("Внимание!", "Файл существует.Переписать?", MB_YESNO | MB_ICONQUESTION) != IDYES)
            return;
        // The writer replaces the old file only once the new one is complete.
        replace = true;
    }

    auto wait = std::make_unique<TS_Wait>(this);
    wait->setText(QStringLiteral("Запись файла"));
    wait->showAndPaint();
    if (!reader_)
        return;

    // The frame shown, at full rate; the visible window is relative to its first sample.
    const int seconds = frameLoaded_ ? shownSeconds_ : frameSeconds_;
    const int64_t frameRecords = int64_t{seconds} * rate_;
    const int total = static_cast<int>(std::min<int64_t>(frameRecords, INT32_MAX));
    std::array<std::vector<double>, 6> channels;
    for (auto& channel : channels)
        channel.assign(static_cast<size_t>(total), 0.0);
    std::vector<double> time(static_cast<size_t>(total), 0.0);
    const double visibleMin = bands_->xMinimum();
    const double visibleMax = bands_->xMaximum();
    int status = 0;
    if (frameLoaded_ && reader_->Position() == frameEndPosition_ &&
        frameEndPosition_ - frameStartPosition_ == kRawRecordBytes * frameRecords) {
        // The reader stands right after the frame shown, which took exactly its records: read
        // the same records again at full rate. That leaves the reader where it was, and holds
        // however far the data start or a damaged stretch has moved the records off the grid
        // of whole seconds a seek works on.
        status = backOverSeconds(seconds)
                     ? reader_->ReadFrame(1, total, time.data(), channelPointers(channels), seconds)
                     : 1;
    } else {
        // The start of the frame shown, not wherever the track bar has been dragged since.
        const uint32_t start = frameLoaded_ ? static_cast<uint32_t>(std::max(0.0, std::trunc(time_[0])))
                                            : static_cast<uint32_t>(std::max(0, ui->TrackBar1->value()));
        auto seek = [this](uint32_t t) { return reader_->SeekTo(t / 3600, (t % 3600) / 60, t % 60); };
        status = seek(start);
        if (status == 0)
            status = reader_->ReadFrame(1, total, time.data(), channelPointers(channels), seconds);
        // Playback goes on after the frame.
        (void)seek(start + static_cast<uint32_t>(seconds));
    }
    if (status != 0) {
        wait.reset();
        // A damaged stretch has shown the reader's boxes already.
        if (status == kRawFrameEnd)
            ShowMessageBox("ВНИМАНИЕ", "Достигнут конец файла", MB_OK);
        return;
    }

    // The visible window is relative to the frame shown; the samples just read may start
    // elsewhere when they had to be found by a seek.
    const double shift = frameLoaded_ ? time_[0] - time[0] : 0.0;
    const ExportStretch stretch =
        SelectExportStretch(time.data(), total, visibleMin + shift, visibleMax + shift, rate_);
    if (stretch.refused) {
        wait.reset();
        ShowMessageBox("ОШИБКА", "Слишком малый временной интервал. Запись невозможна!", MB_OK);
        return;
    }

    TReadWriteMyFile file(localPath(name));
    if (file.OpenForWriting(replace))
        return;
    std::array<const double*, 6> from{};
    for (size_t c = 0; c < 6; ++c)
        from[c] = channels[c].data() + stretch.first;
    const std::array<double, 6> sensitivities = ChannelSensitivities(CurrentSettings());
    if (file.WriteSegment(rate_, stretch.duration, sensitivities, from, total - stretch.first))
        return;   // nothing written; the writer drops the unfinished file
    if (file.Close())
        return;
    wait.reset();
    ShowMessageBox("ВНИМАНИЕ", "Файл записан", MB_OK);
}
