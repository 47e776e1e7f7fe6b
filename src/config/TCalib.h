// The calibration window: a recording of a calibrator on the microphones (an audio file or a
// segment), the calibrator's level and frequency and the stretch to use; "Вычислить" shows,
// per microphone, the tone found, the new and the old sensitivity, the change and the
// stability, with the warnings. "Применить" files the new sensitivities in the settings record
// and the store, each with its microphone whatever the channel order, and leaves the old value
// of a microphone whose tone was not found; "Отмена" changes nothing.
#pragma once

#include "MicrophoneCalibration.h"

#include <QDialog>
#include <QString>

#include <optional>
#include <vector>

namespace Ui {
class TCalib;
}

class TCalib : public QDialog {
    Q_OBJECT
public:
    explicit TCalib(QWidget* owner);
    ~TCalib() override;

    // "Открыть..." without the file dialog: reads the file's header and offers its whole length
    // as the stretch. A file that cannot be used is reported and leaves the window as it was.
    bool OpenRecording(const QString& fileName);
    // "Вычислить": reads the stretch in the background and calibrates every microphone.
    // false when nothing was computed (bad input, a read failure, a cancel), after the reason.
    bool Compute();
    // "Применить": true when the sensitivities were filed and the window accepted.
    bool Apply();

    const std::vector<MicrophoneCalibration>& results() const { return results_; }

private slots:
    void ButtonOpenClick();

private:
    void clearResults();
    void showResults();
    std::optional<CalibratorTone> toneFromInput();

    Ui::TCalib* ui;
    QString fileName_;
    std::optional<CalibrationSource> source_;
    SegmentHeader segmentHeader_;
    std::vector<MicrophoneCalibration> results_;
    CalibratorTone tone_;
    double rate_ = 0.0;
};
