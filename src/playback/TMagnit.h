// The playback window: reviews a raw recording frame by frame, like a tape recorder (step,
// play forwards and backwards, jump to a second), filters the display with a Butterworth
// band-pass and exports the visible stretch, unfiltered, as a segment file.
//
// Opening: the constructor opens the recording and reads its header. When the reader refused
// it (cannot open, contradictory stamps, nothing playable) isOpen() is false and exec()
// returns QDialog::Rejected at once without showing anything; the reader has already told
// the user why.
#pragma once

#include "PlaybackFrame.h"
#include "ReadIshFile.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class TMagnit;
}
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

    // Shows the next frame (read = true) or redraws the frame in memory. true on failure: the
    // recording has ended (cleanly, or after the reader's boxes for a damaged end) and the
    // frame shown before stays as it was. A display filter that fails leaves the curves
    // unfiltered; the caller says so through reportFilterFailure().
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
    // Samples per channel of the frame on screen.
    int frameCount() const { return n_; }
    uint32_t rate() const { return rate_; }
    uint32_t durationSeconds() const { return durationSeconds_; }
    const std::vector<double>& frameTime() const { return time_; }
    const std::vector<double>& rawChannel(int channel) const;
    const std::array<double, 6>& scaleFactors() const { return factors_; }
    // Whether the curves on screen went through the display filter.
    bool displayFiltered() const { return displayFiltered_; }
    // The frame length in force, seconds (the spin box may show an edit not yet applied).
    int frameSeconds() const { return frameSeconds_; }
    bool boundaryReached() const { return boundary_; }
    bool isPlaying() const { return playing_; }
    const TReadIshFile* reader() const { return reader_.get(); }

signals:
    // A play loop has ended (at a boundary, by pause or because the window is closing).
    void playStopped();

protected:
    void showEvent(QShowEvent* event) override;

private:
    static std::string localPath(const QString& name);
    // Runs the save dialog SD.
    static QString defaultSaveFileChooser(QWidget* owner);
    void connectControls();
    void allocateFrame(int seconds);
    bool stepForward();
    bool backOverSeconds(int seconds);
    void markBoundary();
    void reportFilterFailure();
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
    int frameSeconds_ = 1;             // frame length the next read takes (LCADR in force)
    int shownSeconds_ = 1;             // length of the frame on screen
    int rememberedFrameSeconds_ = 1;   // LCADR as the window found it
    bool frameShortened_ = false;      // the remembered frame was longer than the recording
    bool frameLengthEdited_ = false;
    PlaybackFramePlan plan_;
    std::array<std::vector<double>, 6> raw_;
    std::vector<double> time_;
    // A frame is read into these and swapped in only when it is complete, so a read that meets
    // the end leaves the frame shown (and what a redraw or an export takes from it) intact.
    std::array<std::vector<double>, 6> staged_;
    std::vector<double> stagedTime_;
    // File positions before and after the frame shown was read: the export reads the same
    // records again when the reader still stands right after them.
    int64_t frameStartPosition_ = -1;
    int64_t frameEndPosition_ = -1;
    std::vector<double> relativeTime_;
    std::array<std::vector<double>, 6> displayed_;
    std::array<double, 6> factors_{};
    bool frameLoaded_ = false;
    bool displayFiltered_ = false;
    bool filterFailed_ = false;       // the last display could not filter; not yet reported
    bool filterErrorShown_ = false;   // reported once for the filter settings in force

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
