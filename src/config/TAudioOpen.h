// Opening a multichannel audio recording: which of its channels are microphones 1 ... 6, the
// stretch to read, and the voltage a full-scale sample stands for. The map is remembered per
// channel count and the full scale per kind of file, so the next file from the same recorder
// opens with one click.
#pragma once

#include "AudioFile.h"

#include <QDialog>
#include <QString>

#include <array>
#include <cstdint>

class QComboBox;

namespace Ui {
class TAudioOpen;
}

// What the dialog settles: the stretch in frames and the scale.
struct AudioOpenChoice {
    AudioChannelMap map{0, 1, 2, 3, 4, 5};
    int64_t startFrame = 0;
    int64_t frameCount = 0;
    double voltsFullScale = 1.0;
};

class TAudioOpen : public QDialog {
    Q_OBJECT
public:
    TAudioOpen(QWidget* owner, const QString& path, const AudioFileInfo& info);
    ~TAudioOpen() override;

    AudioOpenChoice choice() const;
    QComboBox* microphoneBox(int m) const { return boxes_[static_cast<size_t>(m)]; }
    Ui::TAudioOpen* form() const { return ui; }

    // "Открыть": checks the choice (six different channels, a stretch inside the recording),
    // remembers it and ends with OK; a bad choice is said in the dialog and it stays open.
    void Accept();

    // The remembered full scale of a kind of file (its extension, lower case), 1 V unless set.
    static double StoredFullScale(const QString& path);

private:
    void UpdateStretchText();

    Ui::TAudioOpen* ui;
    QString path_;
    AudioFileInfo info_;
    std::array<QComboBox*, 6> boxes_{};
};
