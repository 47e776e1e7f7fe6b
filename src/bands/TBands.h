// The band window: the intensity spectra the processing window shows, summed over octave or
// one-third-octave bands within the shown frequency range. A table of the bands and their
// totals, a chart of the levels and one of the directions, which bands are doubtful and why,
// and the table as a CSV file in the program's form or a plain one.
#pragma once

#include "BandReduction.h"
#include "OctaveBands.h"

#include <QDialog>
#include <QString>

#include <array>

namespace Ui {
class TBands;
}
class QFileDialog;

// What the window analyses; it keeps its own copy, so the processing window may go on.
struct BandWindowInput {
    IntensitySpectra spectra;
    bool periodic = true;   // false: an impulse, whose spectra are densities and unweighted
    int windowItem = 0;     // the window list item a periodic signal's spectra were weighted with
    int sampleCount = 0;    // N of the segment the spectra came from
    double density = 0.0;   // kg/m^3
    double soundSpeed = 0.0;
    std::array<double, 3> spacings{};
    FrequencyRange range;                     // the bands whose nominal mid frequency lies in it
    bool byMicrophoneSensitivities = false;   // the spectra stand on each microphone's own pressure
};

class TBands : public QDialog {
    Q_OBJECT
public:
    TBands(QWidget* owner, BandWindowInput input);
    ~TBands() override;

    const BandAnalysis& analysis() const { return analysis_; }
    bool hasBands() const { return !analysis_.bands.empty(); }
    // The sentence the window shows in place of the table when the range holds no band.
    QString noBandsText() const;

    // Analyses again with the switches as they are and redraws everything.
    void Recompute();
    // "Записать в CSV файл": asks for a name through saveDialog(), then SaveCsv.
    void ButtonCsvClick();
    // Writes the table in the form the combo box names, asking before it replaces a file;
    // false when nothing was written.
    bool SaveCsv(const QString& fileName);

    Ui::TBands* form() { return ui; }
    QFileDialog* saveDialog() const { return SD; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FillTable();
    void FillCaution();
    void DrawCharts();
    BandAnalysisOptions optionsNow() const;

    Ui::TBands* ui;
    QFileDialog* SD = nullptr;
    BandWindowInput input_;
    BandAnalysis analysis_;
    // A close that arrives while a command waits for the user is carried out once it ends.
    int commandDepth_ = 0;
    bool closePending_ = false;
    int pendingResult_ = QDialog::Rejected;
};
