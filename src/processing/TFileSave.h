// The processing window: one six-channel segment (from a segment file, or the synthetic test
// signal when the file name is empty) shown as six curves in pascals or volts, with channel
// visibility, per-axis settings, horizontal zoom, local autoscale and two measuring cursors.
// The processing commands extend it through Redraw, the data and view state it exposes, and
// by performing Button1Click / Button5Click.
#pragma once

#include "BackgroundWork.h"
#include "TAudioOpen.h"
#include "IntensityText.h"
#include "ProcessingData.h"
#include "Recording.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <memory>

namespace Ui {
class TFileSave;
}
class ChartBands;
class QCheckBox;
class QFileDialog;
class QMouseEvent;
class TReadWriteMyFile;
class TS_Wait;

// The filter and window choices the window keeps in the store between openings.
struct ProcessingOptions {
    std::array<bool, 6> channels{};   // "ch1".."ch6": channels selected for filtering
    int filterType = 0;               // "typeFilter"
    int filterOrder = 1;              // "porFilter"
    int filterFmin = 0;               // "FminFilter", Hz
    int filterFmax = 0;               // "FmaxFilter", Hz
    int window = 0;                   // "Wind": spectral window index
};
ProcessingOptions LoadProcessingOptions();
void SaveProcessingOptions(const ProcessingOptions& options);

class TFileSave : public QDialog {
    Q_OBJECT
public:
    // fileName empty: the test signal, synthesised from the settings when the window shows.
    TFileSave(QWidget* owner, const QString& fileName);
    ~TFileSave() override;

    // The unit choice the window opens with (0 pascals, 1 volts); set before exec().
    void setUnitSelection(int item);
    // fileName is a multichannel audio recording: the stretch and channels to read, set
    // before exec(). Its samples are volts; pascals come from the microphones' sensitivities.
    void setAudioSource(const AudioOpenChoice& choice);
    bool audioSource() const { return audio_.has_value(); }

    // Draws six channel arrays over an x axis: N points per curve in the time view, N/2 in
    // the spectrum view, each scaled by its channel's display unit factor.
    void Redraw(const std::array<const double*, 6>& set, const double* x);

    // Event handlers, public so that the commands and tests can perform them.
    void RadioGroup1Click(int item);   // unit change
    void RadioGroup2Click(int item);   // signal type -> impuls
    void CheckBoxClick(int channel, bool checked);
    void CSpinEdit1Change(int value);
    void CSpinEdit2Change(int value);
    void GRClickAxis(int channel);   // -1: the x axis
    void GRZoom(double lower, double upper);
    void Button1Click();   // cursors on / off
    void Button5Click();   // local autoscale
    void GRMouseDown(int x);
    void GRMouseMove(int x);
    void GRMouseUp();

    // Processing commands.
    void Button4Click();        // filtering of the chosen channels, in place
    void Button6Click();        // "АЧХ": amplitude spectra
    void BitBtn1Click();        // undo
    void Button11Click();       // "P - P" report
    void Button3Click();        // "M": snapshot for the pair operations
    void SpeedButton1Click();   // "+"
    void SpeedButton2Click();   // "-"
    void SpeedButton3Click();   // "S": integrate
    void SpeedButton4Click();   // "d": differentiate
    void SpeedButton5Click();   // "VT": particle velocity in time
    void SpeedButton6Click();   // "VF": particle velocity spectra
    void Button10Click();       // linear bridging between the cursors

    // Intensity commands.
    void Button7Click();    // intensity spectra, shown as Ix, Jx, Iy, Jy, Iz, Jz
    void Button2Click();    // band vectors into the intensity-vector window
    void Button9Click();    // intensity spectra into a CSV file, through SD
    void Button13Click();   // the working samples into a six-channel float WAV
    // Writes the working samples in volts as a 32-bit float WAV at the segment's rate, with
    // the sensitivities and the full scale in its comment; false after saying why.
    bool SaveWorkingWav(const QString& fileName);
    // The CSV export once a file name is chosen; false when nothing was written.
    bool SaveIntensityCsv(const QString& fileName);
    QFileDialog* saveDialog() const { return SD; }
    // The intensity spectra with the frequency axis, N/2 bins.
    IntensitySpectraView intensityView() const;

    // "Полосы": the octave or one-third-octave bands of the shown range into the band window.
    void Button12Click();

    // State the commands read and change.
    struct ViewState {
        bool spectrumView = false;
        bool intensityShown = false;
        bool dbSelected = false;
        bool snapshotTaken = false;
        bool localAutoscaleApplied = false;
        bool firstDrawPending = true;
        std::array<double, 2> timeView{};            // shown time range, s
        std::array<double, 2> frequencyView{};       // shown frequency range, Hz
        std::array<double, 2> spectrumRange{};       // 0 and the last used frequency
        std::array<int, 2> timeReadoutRange{};       // [0, N-1]
        std::array<int, 2> spectrumReadoutRange{};   // [0, N/2-1]
        std::array<double, 6> localMin{};
        std::array<double, 6> localMax{};
    };
    ViewState& view() { return view_; }
    ProcessingData& data() { return data_; }
    ProcessingOptions& options() { return options_; }
    ChartBands& chart() { return *chart_; }
    Ui::TFileSave* form() { return ui; }
    bool testSignalMode() const { return testMode_; }
    const std::array<double, 6>& displayFactors() const { return displayFactors_; }
    bool cursorsOn() const { return cursorsOn_; }
    // Axis titles for the current unit: "Канал n (Па)", "(В)" or "(дБА)".
    void SetUnitTitles(const QString& unit);
    // Each axis automatic if its G_Auto is set, else G_Min..G_Max.
    void RestoreAxisScaling();
    // Redraws what the current view shows (working samples, spectra or the dB set).
    void RedrawCurrentView();
    void UpdateReadouts();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public slots:
    // A close asked for while a command runs (the title-bar X, Esc or "Выход" reach the window
    // whenever a command lets events through: its wait notice, a message, a dialog) is held
    // back and carried out once the command has returned, so no command sees its data released
    // under it.
    void done(int result) override;

private:
    // How the intensity turns this window's samples into pascals (DecidePascals).
    RecordingScale intensityScale() const;
    // Marks a command as running for as long as it lives; commands nest (SpeedButton6Click runs
    // two others). The last one to end carries out a close that came meanwhile.
    class CommandScope {
    public:
        explicit CommandScope(TFileSave& window);
        ~CommandScope();
        CommandScope(const CommandScope&) = delete;
        CommandScope& operator=(const CommandScope&) = delete;

    private:
        TFileSave& window_;
    };

    bool FormShow();   // reads or synthesises the data; false: refused, window closes
    void FormClose();
    bool OpenAudioStretch();
    bool ShowOpenedSamples();
    void DrawCursors();
    void BeforeDraw();
    void AfterDraw();
    void PlaceRepaintNotice();
    void ReleaseWaitNotice();
    void ShowWaitNotice(const QString& text);
    QCheckBox* channelBox(int channel) const;   // the "Отобразить" box of a channel
    void SetSeriesActive(int channel, bool active);
    void SetPairPartnersActive(bool active);   // channels 2, 4, 6
    void BeginPairOperation();
    void FinishPairOperation();
    void SetSpectrumControlsEnabled(bool enabled);
    void FillFrequencyAxis();
    // Runs compute in the background after sizing the spectra (and the intensity curves),
    // then fills the frequencies; nothing (after saying so) when the memory is not there.
    std::optional<WorkOutcome> RunResultWork(bool intensity, const std::function<void()>& compute);
    void SetTitlesForSelectedUnit();
    void SetupBandButton();   // "Полосы" comes and goes with "I , J"

    Ui::TFileSave* ui;
    QFileDialog* SD = nullptr;
    ChartBands* chart_ = nullptr;
    QString fileName_;
    bool testMode_;
    std::optional<AudioOpenChoice> audio_;
    std::unique_ptr<TReadWriteMyFile> reader_;
    bool readerOpen_ = false;
    TS_Wait* wait_ = nullptr;
    ProcessingData data_;
    ProcessingOptions options_;
    ViewState view_;
    bool shown_ = false;
    bool closed_ = false;
    bool intensityByMicrophones_ = false;   // the intensity took each microphone's pascals
    std::string audioComment_;              // the audio file's comment (its own sensitivities)
    int intensityWindowItem_ = 0;           // the window the intensity spectra were weighted with
    int commandDepth_ = 0;
    bool closePending_ = false;
    int pendingResult_ = QDialog::Rejected;
    bool cursorsOn_ = false;
    int grabTarget_ = 0;
    bool dragging_ = false;
    int grabToleranceBase_ = 0;
    // The factors of the last redraw, by which each channel's stored values were shown; the
    // extremes, readouts and dB values are taken against them.
    std::array<double, 6> displayFactors_{1.0, 1.0, 1.0, 1.0, 1.0, 1.0};
};
