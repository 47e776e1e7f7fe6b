// The playback window: reviews a raw recording frame by frame, like a tape recorder (step,
// play forwards and backwards, jump to a second), filters the display with a Butterworth
// band-pass and exports the visible stretch, unfiltered, as a segment file.
//
// Opening: the constructor opens the recording and reads its header. When the reader refused
// it (cannot open, contradictory stamps, nothing playable) isOpen() is false and exec()
// returns QDialog::Rejected at once without showing anything; the reader has already told
// the user why.
#pragma once

#include "ReadIshFile.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace Ui { class TMagnit; }
class ChartBands;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QEventLoop;

class TMagnit : public QDialog {
    Q_OBJECT
public:
    TMagnit(QWidget* owner, const QString& fileName);
    ~TMagnit() override;

    bool isOpen() const { return opened_; }
    int exec() override;
    // Closing while a play loop runs stops the loop first; the window closes when it has ended.
    void done(int result) override;

    // Shows the next frame (read = true) or redraws the frame in memory. true on failure.
    bool DisplayFrame(bool read);

    void FormCreate();
    void FormShow();
    void FormClose();
    void CSpinEdit1Change();
    void Button1Click();
    void RadioGroup1Click();
    void BitBtn1Click();
    void SpeedButton1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void TrackBar1Change();
    void Button2Click();
    void CheckBoxClick(QCheckBox* sender);
    void CSpinEdit4Change();
    void GRClickAxis(int channel);
    void ComboBox1Change();
    void CSpinEdit2Change();
    void CSpinEdit3Change();
    void Button3Click();
    void BitBtn8Click();

    // Where the export asks for its file name; the default runs the save dialog SD.
    // An empty name means the user cancelled.
    void setSaveFileChooser(std::function<QString(QWidget*)> chooser);

    // State for the launcher and the tests.
    ChartBands* chart() const { return bands_; }
    int frameCount() const { return n_; }
    uint32_t rate() const { return rate_; }
    uint32_t durationSeconds() const { return durationSeconds_; }
    const std::vector<double>& frameTime() const { return time_; }
    const std::vector<double>& rawChannel(int channel) const;
    const std::array<double, 6>& scaleFactors() const { return factors_; }
    bool boundaryReached() const { return boundary_; }
    bool isPlaying() const { return playing_; }
    const TReadIshFile* reader() const { return reader_.get(); }

signals:
    // A play loop has ended (at a boundary, by pause or because the window is closing).
    void playStopped();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void allocateFrame();
    void playLoop(bool forward);
    void waitBetweenFrames();
    void resetPanel();
    bool readHeader();
    int unitIndex() const;
    QCheckBox* channelBox(int channel) const;
    std::array<double*, 6> channelPointers(std::array<std::vector<double>, 6>& arrays);

    Ui::TMagnit* ui;
    ChartBands* bands_ = nullptr;
    QButtonGroup* units_ = nullptr;
    QString path_;
    std::unique_ptr<TReadIshFile> reader_;
    bool opened_ = false;
    bool shown_ = false;
    bool formClosed_ = false;

    uint16_t hours_ = 0, minutes_ = 0, seconds_ = 0;
    uint32_t durationSeconds_ = 0;
    uint32_t rate_ = 0;
    int n_ = 0;
    int frameSeconds_ = 1;   // frame length the arrays were sized for (LCADR in force)
    std::array<std::vector<double>, 6> raw_;
    std::vector<double> time_;
    std::vector<double> relativeTime_;
    std::array<std::vector<double>, 6> displayed_;
    std::array<double, 6> factors_{};
    bool frameLoaded_ = false;

    bool stop_ = true;
    bool boundary_ = false;
    bool playing_ = false;
    bool playForward_ = true;
    bool closePending_ = false;
    int closeResult_ = QDialog::Rejected;

    std::function<QString(QWidget*)> chooseSaveFile_;
    QEventLoop* waitLoop_ = nullptr;   // the pause between frames of a play loop
    int decimation_ = 1;
};
