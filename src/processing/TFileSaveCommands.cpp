// The commands of the processing window that change or examine the signals: filtering,
// amplitude spectra, undo, the peak-to-peak report, the pair operations, linear bridging and
// the intensity commands that hand their results to the intensity-vector window.
#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "AudioFile.h"
#include "BackgroundWork.h"
#include "ChartBands.h"
#include "CoreText.h"
#include "Filters.h"
#include "Intensity.h"
#include "Language.h"
#include "LargeBuffer.h"
#include "MessageBox.h"
#include "RecentFolders.h"
#include "ResultText.h"
#include "Settings.h"
#include "SignalUtils.h"
#include "Spectra.h"
#include "TBands.h"
#include "TMath.h"
#include "ui_TMath.h"
#include "TRaschet.h"
#include "TS_Wait.h"
#include "Windows.h"
#include "WrittenNote.h"

#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

#include <algorithm>
#include <functional>
#include <new>
#include <optional>
#include <cmath>

namespace {

constexpr int kMinCursorGap = 10;   // pixels between the cursors for a band

// Shows and hides a widget whenever another is shown or hidden, so the commands that show or
// hide one need not know of the other.
class VisibilityFollower : public QObject {
public:
    VisibilityFollower(QWidget* leader, QWidget* follower) : QObject(follower), follower_(follower)
    {
        follower->setVisible(!leader->isHidden());
        leader->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::ShowToParent)
            follower_->show();
        else if (event->type() == QEvent::HideToParent)
            follower_->hide();
        return false;
    }

private:
    QWidget* follower_;
};

}   // namespace

// ---- shared steps ----

void TFileSave::ShowWaitNotice(const QString& text)
{
    ReleaseWaitNotice();
    wait_ = new TS_Wait(this);
    wait_->setText(text);
    wait_->showAndPaint();
}

void TFileSave::SetSeriesActive(int channel, bool active)
{
    chart_->setSeriesVisible(channel, active);
    // The box follows the curve, so what is ticked is what is drawn.
    if (QCheckBox* box = channelBox(channel)) {
        const QSignalBlocker quiet(box);
        box->setChecked(active);
    }
}

void TFileSave::SetPairPartnersActive(bool active)
{
    for (int c : {1, 3, 5})
        SetSeriesActive(c, active);
}

void TFileSave::SetSpectrumControlsEnabled(bool enabled)
{
    for (QWidget* w : {static_cast<QWidget*>(ui->Button6), static_cast<QWidget*>(ui->Button7),
                       static_cast<QWidget*>(ui->Button4), static_cast<QWidget*>(ui->ComboBox4),
                       static_cast<QWidget*>(ui->CSpinEdit1), static_cast<QWidget*>(ui->CSpinEdit2)})
        w->setEnabled(enabled);
}

std::optional<WorkOutcome> TFileSave::RunResultWork(bool intensity, const std::function<void()>& compute)
{
    try {
        return RunInBackground(wait_, [&](WorkControl&) {
            data_.EnsureSpectra();
            if (intensity)
                data_.EnsureIntensity();
            compute();
            data_.FillFrequencies();
        });
    } catch (const std::bad_alloc&) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", tr("Недостаточно памяти для вычисления спектров.").toStdString(),
                       MB_OK | MB_ICONWARNING);
        return std::nullopt;
    }
}

void TFileSave::FillFrequencyAxis()
{
    data_.FillFrequencies();
    const int half = data_.halfCount();
    view_.spectrumRange = {0.0, half > 0 ? data_.frequency[half - 1] : 0.0};
    view_.spectrumReadoutRange = {0, half - 1};
}

void TFileSave::SetTitlesForSelectedUnit()
{
    SetUnitTitles(ui->RadioGroup1->itemIndex() == kUnitVolt ? tr("В") : tr("Па"));
}

IntensitySpectraView TFileSave::intensityView() const
{
    IntensitySpectraView v;
    for (int q = 0; q < 12; ++q)
        v.values[q] = data_.intensity[q].data();
    v.frequency = data_.frequency.data();
    v.bins = data_.halfCount();
    return v;
}

// ---- filtering ----

void TFileSave::Button4Click()
{
    const CommandScope command(*this);
    if (data_.count() < 2)
        return;
    {
        TMath dialog(this);
        for (int c = 0; c < 6; ++c)
            dialog.channelBoxes()[c]->setChecked(options_.channels[c]);
        dialog.form()->ComboBox2->setCurrentIndex(options_.filterType);
        dialog.form()->CSpinEdit1->setValue(options_.filterOrder);
        dialog.form()->CSpinEdit2->setValue(options_.filterFmin);
        dialog.form()->CSpinEdit3->setValue(options_.filterFmax);
        if (dialog.exec() == TMath::kResultNo)
            return;
        for (int c = 0; c < 6; ++c)
            options_.channels[c] = dialog.channelBoxes()[c]->isChecked();
        options_.filterType = dialog.form()->ComboBox2->currentIndex();
        options_.filterOrder = dialog.form()->CSpinEdit1->value();
        options_.filterFmin = dialog.form()->CSpinEdit2->value();
        options_.filterFmax = dialog.form()->CSpinEdit3->value();
    }
    if (std::none_of(options_.channels.begin(), options_.channels.end(), [](bool b) { return b; }))
        return;
    ShowWaitNotice(tr("Идет фильтрация"));
    const int n = data_.count();
    const int rate = static_cast<int>(data_.segment.sampleRate);
    // The chosen channels are filtered into copies and taken only when all succeeded, so a
    // failure or a cancel leaves every channel as it was.
    const ProcessingOptions options = options_;
    std::array<std::vector<double>, 6> filtered;
    bool failed = false;
    const WorkOutcome outcome = RunInBackground(wait_, [&](WorkControl& control) {
        for (int c = 0; c < 6 && !control.cancelled() && !failed; ++c) {
            if (!options.channels[c])
                continue;
            CopyLarge(filtered[c], data_.samples()[c]);
            double* samples = filtered[c].data();
            failed = ApplyBandFilter(options.filterType, options.filterOrder, options.filterFmin,
                                     options.filterFmax, n, rate, samples, samples);
            control.setProgress((c + 1) / 6.0);
        }
        // The first change of the samples as read: the other channels' working copies are
        // made here too, so the interface thread only takes them.
        if (!failed && !control.cancelled() && data_.working[0].empty())
            for (int c = 0; c < 6; ++c)
                if (!options.channels[c])
                    CopyLarge(filtered[c], data_.segment.channels[c]);
    });
    if (failed) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", tr("Ошибка фильтрации").toStdString(), MB_OK | MB_ICONWARNING);
        return;
    }
    if (outcome == WorkOutcome::Cancelled) {
        ReleaseWaitNotice();
        return;
    }
    std::array<bool, 6> taken = options.channels;
    if (data_.working[0].empty())
        taken.fill(true);
    data_.replaceSamples(std::move(filtered), taken);
    Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
    ui->BitBtn1->setEnabled(true);
    ReleaseWaitNotice();
}

// ---- amplitude spectra ----

void TFileSave::Button6Click()
{
    const CommandScope command(*this);
    const int n = data_.count();
    if (n < 2)
        return;
    ShowWaitNotice(tr("Идет вычисление АЧХ"));
    options_.window = ui->ComboBox4->currentIndex();
    const int window = options_.window;
    const bool periodic = CurrentSettings().impuls == 1;
    const auto working = ProcessingData::ConstPointers(data_.samples());
    // The time view shows the samples meanwhile, so the spectra may be sized and filled off
    // the interface thread. A failed window leaves zero spectra, which the chart then shows
    // as such.
    const std::optional<WorkOutcome> outcome = RunResultWork(false, [&] {
        const auto spectra = ProcessingData::Pointers(data_.spectra);
        (void)ComputeAmplitudeSpectra(n, window, periodic, data_.segment.time[n - 1], working.data(),
                                      spectra.data());
    });
    if (outcome != WorkOutcome::Done) {
        ReleaseWaitNotice();
        return;
    }
    SetSpectrumControlsEnabled(false);
    ui->Button3->hide();
    ui->GroupBox2->hide();
    view_.spectrumView = true;
    FillFrequencyAxis();
    Redraw(ProcessingData::ConstPointers(data_.spectra), data_.frequency.data());
    ReleaseWaitNotice();
    if (ui->RadioGroup1->count() < 3)
        ui->RadioGroup1->addItem(tr("дБА"));
    if (cursorsOn_)
        Button1Click();
    Button5Click();
}

// ---- undo ----

void TFileSave::BitBtn1Click()
{
    const CommandScope command(*this);
    if (data_.count() < 2)
        return;
    SetSpectrumControlsEnabled(true);
    ui->Button2->hide();
    ui->Button9->hide();
    ShowWaitNotice(tr("Идет откат"));
    view_.intensityShown = false;
    if (ui->RadioGroup1->count() > 2)
        ui->RadioGroup1->removeItem(2);
    view_.dbSelected = false;
    if (view_.snapshotTaken)
        data_.working = data_.snapshot;
    ui->Button3->show();
    ui->GroupBox2->hide();
    SetPairPartnersActive(true);
    chart_->setZoomPanEnabled(true);
    if (view_.spectrumView) {
        view_.spectrumView = false;
        // Choosing item 0 redraws the time view itself; only when it is already chosen is a
        // redraw still owed.
        const bool unitChanges = ui->RadioGroup1->itemIndex() != kUnitPascal;
        ui->RadioGroup1->setItemIndex(kUnitPascal);
        SetTitlesForSelectedUnit();
        if (!unitChanges)
            Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
    } else {
        data_.resetSamples();
        view_.timeReadoutRange = {0, data_.count() - 1};
        SetTitlesForSelectedUnit();
        Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
    }
    if (cursorsOn_)
        Button1Click();
    if (view_.localAutoscaleApplied) {
        view_.localAutoscaleApplied = false;
        RestoreAxisScaling();
        chart_->replot();
    }
    ReleaseWaitNotice();
    ui->RadioGroup1->show();
    ui->RadioGroup1->setEnabled(true);
}

// ---- peak-to-peak ----

void TFileSave::Button11Click()
{
    const CommandScope command(*this);
    Button5Click();
    QString text;
    for (int c = 0; c < 6; ++c) {
        const double lo = view_.localMin[c];
        const double hi = view_.localMax[c];
        text += tr("Кан.№ %1 Мин= %2 Макс= %3 Сред= %4\n\n")
                    .arg(c + 1)
                    .arg(FixedText(lo, 10, 2), FixedText(hi, 10, 2), FixedText(lo + (hi - lo) * 0.5, 10, 2));
    }
    ShowMessageBox("Вычисление пик - пик", text.toStdString(), MB_OK | MB_ICONINFORMATION);
}

// ---- "M" and the pair operations ----

void TFileSave::Button3Click()
{
    view_.snapshotTaken = true;
    ui->GroupBox2->show();
    ui->BitBtn1->show();
    ui->Button3->hide();
    data_.TakeSnapshot();
}

void TFileSave::BeginPairOperation()
{
    view_.spectrumView = false;
}

void TFileSave::FinishPairOperation()
{
    Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
}

void TFileSave::SpeedButton1Click()
{
    if (data_.count() < 2)
        return;
    BeginPairOperation();
    ui->RadioGroup1->show();
    SetPairPartnersActive(false);
    data_.PairSums();
    FinishPairOperation();
}

void TFileSave::SpeedButton2Click()
{
    if (data_.count() < 2)
        return;
    BeginPairOperation();
    ui->RadioGroup1->show();
    SetPairPartnersActive(false);
    data_.PairDifferences();
    FinishPairOperation();
}

void TFileSave::SpeedButton3Click()
{
    if (data_.count() < 2)
        return;
    BeginPairOperation();
    ui->RadioGroup1->show();
    SetPairPartnersActive(true);
    data_.IntegrateChannels();
    FinishPairOperation();
}

void TFileSave::SpeedButton4Click()
{
    if (data_.count() < 2)
        return;
    BeginPairOperation();
    SetPairPartnersActive(true);
    data_.DifferentiateChannels();
    FinishPairOperation();
}

void TFileSave::SpeedButton5Click()
{
    if (data_.count() < 2)
        return;
    BeginPairOperation();
    SetPairPartnersActive(false);
    const Settings& s = CurrentSettings();
    data_.PairVelocities(s.plotnost, s.lmic);
    // Titled before the redraw, so the one paint shows them.
    for (int c : {0, 2, 4})
        chart_->setAxisTitle(c, tr("Канал %1 (м/с)").arg(c + 1));
    FinishPairOperation();
    ui->RadioGroup1->hide();
    ui->GroupBox2->hide();
}

void TFileSave::SpeedButton6Click()
{
    const CommandScope command(*this);
    if (data_.count() < 2)
        return;
    SpeedButton5Click();
    Button6Click();
    ui->Button2->hide();
    ui->RadioGroup1->hide();
}

// ---- linear bridging ----

void TFileSave::Button10Click()
{
    const CommandScope command(*this);
    const int n = data_.count();
    if (n < 2 || !cursorsOn_)
        return;
    const double x1 = chart_->pixelToX(chart_->cursorPixel(1));
    const double x2 = chart_->pixelToX(chart_->cursorPixel(2));
    if (!data_.BridgeLinearly(x1, x2)) {
        // Two distinct samples at or after the cursors define the line; without them there
        // is nothing to draw it through.
        ShowMessageBox("ВНИМАНИЕ",
                       tr("Между курсорами нет двух разных отсчетов: линейная аппроксимация "
                          "невозможна. Раздвиньте курсоры.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
    Button1Click();
}

// ---- intensity ----

RecordingScale TFileSave::intensityScale() const
{
    const RecordingKind kind =
        testMode_ ? RecordingKind::TestSignal : (audio_ ? RecordingKind::Audio : RecordingKind::Segment);
    PascalRequest request;
    request.calibrated = CurrentSettings().I_PO_CHUV;
    Segment header;   // the sensitivities only: the samples stay where they are
    header.paPerVolt = data_.segment.paPerVolt;
    RecordingScale scale;
    (void)ScaleSamples(kind, audioComment_, CurrentSettings(), request, header, scale);
    return scale;
}

void TFileSave::Button7Click()
{
    const CommandScope command(*this);
    const int n = data_.count();
    if (n < 2)
        return;
    ShowWaitNotice(tr("Вычисляется интенсивность"));
    options_.window = ui->ComboBox4->currentIndex();
    const int window = options_.window;
    const auto working = ProcessingData::ConstPointers(data_.samples());
    // The same rule as every other reader of a recording: a segment by the sensitivities it was
    // made with when the calibrated option is on, an audio file always by its microphones'.
    const RecordingScale scale = intensityScale();
    const IntensityConstants constants = IntensityConstantsOf(CurrentSettings(), scale);
    AnalysisStatus status = kAnalysisOk;
    // Off the interface thread; the window changes only once the spectra are there, so a
    // cancel leaves it as it was. Curves 1..6 are Ix, Jx, Iy, Jy, Iz, Jz.
    const std::optional<WorkOutcome> outcome = RunResultWork(true, [&] {
        double* groups[4][3];
        for (int g = 0; g < 4; ++g)
            for (int a = 0; a < 3; ++a)
                groups[g][a] = data_.intensity[3 * g + a].data();
        status = ComputeIntensitySpectra(constants, window, n, working.data(), data_.segment.time.data(),
                                         groups[0], groups[1], groups[2], groups[3]);
        const int half = data_.halfCount();
        for (int a = 0; a < 3; ++a) {
            std::copy_n(data_.intensity[a].data(), half, data_.spectra[2 * a].data());
            std::copy_n(data_.intensity[3 + a].data(), half, data_.spectra[2 * a + 1].data());
        }
    });
    if (outcome != WorkOutcome::Done) {
        ReleaseWaitNotice();
        return;
    }
    intensityByMicrophones_ = scale.bySensitivities();
    // The routine weights a periodic signal (impuls 1) only; an impulse is taken as it is.
    intensityWindowItem_ = constants.periodic ? window : kWindowItemNone;
    view_.intensityShown = true;
    SetSpectrumControlsEnabled(false);
    ui->RadioGroup1->setEnabled(false);
    ui->Button2->show();
    ui->Button3->hide();
    ui->GroupBox2->hide();
    view_.spectrumView = true;
    FillFrequencyAxis();

    // The work is over either way: the notice goes before anything is said.
    if (status != kAnalysisOk)
        ReleaseWaitNotice();
    if (status == kIntensityTooFewSamples) {
        ShowMessageBox("ВНИМАНИЕ",
                       tr("Слишком короткий сигнал для спектра интенсивности: нужно не меньше "
                          "четырех отсчетов.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
    } else if (status == kIntensityNoMemory) {
        ShowMessageBox("ВНИМАНИЕ", tr("Недостаточно памяти для вычисления интенсивности.").toStdString(),
                       MB_OK | MB_ICONWARNING);
    }
    if (cursorsOn_)
        Button1Click();
    // Choosing item 0 redraws the spectra itself; only when it is already chosen is the
    // redraw still owed.
    const bool unitChanges = ui->RadioGroup1->itemIndex() != kUnitPascal;
    ui->RadioGroup1->setItemIndex(kUnitPascal);
    if (!unitChanges)
        Redraw(ProcessingData::ConstPointers(data_.spectra), data_.frequency.data());
    if (ui->RadioGroup1->count() < 3)
        ui->RadioGroup1->addItem(tr("Вт/м**2"));
    ui->RadioGroup1->setItemIndex(kUnitSpectrum);
    ReleaseWaitNotice();
    ui->Button9->show();
}

void TFileSave::Button2Click()
{
    const CommandScope command(*this);
    if (!view_.spectrumView || !view_.intensityShown)
        return;
    FrequencyRange range;
    range.given = true;
    if (!cursorsOn_) {
        range.lo = chart_->xMinimum();
        range.hi = chart_->xMaximum();
    } else {
        const int p1 = chart_->cursorPixel(1);
        const int p2 = chart_->cursorPixel(2);
        if (std::abs(p2 - p1) < kMinCursorGap) {
            ShowMessageBox("ВНИМАНИЕ", tr("Недопустимый интервал между маркерами").toStdString(),
                           MB_OK | MB_ICONWARNING);
            return;
        }
        range.lo = chart_->pixelToX(std::min(p1, p2));
        range.hi = chart_->pixelToX(std::max(p1, p2));
    }
    range.lo = std::max(range.lo, view_.spectrumRange[0]);
    range.hi = std::min(range.hi, view_.spectrumRange[1]);

    BandResult band;
    const BandStatus status = ReduceBand(intensityView(), range, CurrentSettings().impuls, band);
    if (band.detectorFailed)
        // The core keeps this text as a constant, under the name of the file that holds it.
        ShowMessageBox("Ошибка", CoreText("Intensity", kPeakDetectorFailedText), MB_OK);
    if (status != BandStatus::Ok) {
        ShowMessageBox("ВНИМАНИЕ",
                       status == BandStatus::Empty
                           ? tr("В выбранном диапазоне частот нет ни одной составляющей спектра. "
                                "Выберите более широкий диапазон.")
                                 .toStdString()
                           : tr("Не удалось проинтегрировать спектр в выбранном диапазоне.").toStdString(),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    const Settings& s = CurrentSettings();
    band.result.limitWarning = BandLimitWarning(intensityView(), band, s.lmic, s.skorost,
                                                WindowItemEnbw(intensityWindowItem_, data_.count()));
    // Which pressures the vectors stand on, where a reader of the result looks for its band.
    if (intensityByMicrophones_)
        band.result.bandText += tr("; давление по чувствительностям микрофонов").toStdString();
    // Owned by this window and kept until it closes, as every earlier one is.
    auto* vectors = new TRaschet(this, band.result);
    vectors->setBandText(QString::fromStdString(band.result.bandText));
    vectors->exec();
    ui->Button2->show();
    ui->BitBtn1->setEnabled(true);
}

void TFileSave::SetupBandButton()
{
    QSizePolicy policy = ui->Button12->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    ui->Button12->setSizePolicy(policy);
    new VisibilityFollower(ui->Button2, ui->Button12);
    connect(ui->Button12, &QPushButton::clicked, this, &TFileSave::Button12Click);
}

void TFileSave::Button12Click()
{
    const CommandScope command(*this);
    if (!view_.spectrumView || !view_.intensityShown)
        return;
    const Settings& s = CurrentSettings();
    const IntensitySpectraView shown = intensityView();
    // The window keeps a copy: what it shows stays whole whatever this window does next.
    BandWindowInput input;
    for (int q = 0; q < 12; ++q)
        input.spectra.values[q].assign(shown.values[q], shown.values[q] + shown.bins);
    input.spectra.frequency.assign(shown.frequency, shown.frequency + shown.bins);
    input.periodic = s.impuls == 1;
    input.windowItem = intensityWindowItem_;
    input.sampleCount = data_.count();
    input.density = s.plotnost;
    input.soundSpeed = s.skorost;
    input.spacings = s.lmic;
    input.range = {true, std::max(chart_->xMinimum(), view_.spectrumRange[0]),
                   std::min(chart_->xMaximum(), view_.spectrumRange[1])};
    input.byMicrophoneSensitivities = intensityByMicrophones_;
    TBands bands(this, std::move(input));
    bands.exec();
}

void TFileSave::Button9Click()
{
    const CommandScope command(*this);
    if (!view_.intensityShown)
        return;
    StartInRecentFolder(*SD, FolderKind::Csv);
    if (SD->exec() != QDialog::Accepted || SD->selectedFiles().isEmpty())
        return;
    RememberDialogFolder(*SD, FolderKind::Csv);
    SaveIntensityCsv(SD->selectedFiles().constFirst());
}

void TFileSave::Button13Click()
{
    const CommandScope command(*this);
    if (data_.count() < 2)
        return;
    QFileDialog dialog(this, tr("Записать WAV"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(tr("Звуковые файлы WAV (*.wav)"));
    dialog.setDefaultSuffix(QStringLiteral("wav"));
    // The window asks its own question before replacing a file.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    StartInRecentFolder(dialog, FolderKind::Audio);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    RememberDialogFolder(dialog, FolderKind::Audio);
    SaveWorkingWav(dialog.selectedFiles().constFirst());
}

bool TFileSave::SaveWorkingWav(const QString& fileName)
{
    const CommandScope command(*this);
    if (QFileInfo::exists(fileName) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    // Volts, so that the file opens in any program at the recorder's scale: a recording's
    // samples are volts already, a segment's and the test signal's ADC steps of VOLT volts.
    const Settings& s = CurrentSettings();
    const double voltsPerUnit = audio_ ? 1.0 : s.VOLT;
    const double fullScale = TAudioOpen::StoredFullScale(fileName);
    Segment volts;
    std::vector<char> bytes;
    AudioResult encoded;
    try {
        volts.Allocate(data_.count());
        volts.sampleRate = data_.segment.sampleRate;
        volts.time = data_.segment.time;
        for (size_t c = 0; c < 6; ++c)
            for (size_t k = 0; k < static_cast<size_t>(data_.count()); ++k)
                volts.channels[c][k] = data_.samples()[c][k] * voltsPerUnit;
        std::string sensitivities;
        for (size_t c = 0; c < 6; ++c) {
            const double pa = data_.segment.paPerVolt[c];
            sensitivities +=
                (c ? "," : "") + QString::number(pa > 0 ? 1000.0 / pa : 0.0, 'g', 10).toStdString();
        }
        const std::string comment = "microphones=1..6; rate_hz=" + std::to_string(volts.sampleRate) +
                                    "; sensitivities_mv_pa=" + sensitivities +
                                    "; full_scale_v=" + QString::number(fullScale, 'g', 10).toStdString();
        encoded = EncodeFloatWav(volts, fullScale, comment, bytes);
    } catch (const std::bad_alloc&) {
        ShowMessageBox("ВНИМАНИЕ", tr("Недостаточно памяти для записи файла.").toStdString(),
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    QString reason = QString::fromStdString(encoded.message);
    if (!encoded.ok() ||
        !WriteFileReplacing(fileName, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())),
                            &reason)) {
        ShowPlainMessage(tr("Не удалось записать файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), reason)
                             .toStdString());
        return false;
    }
    ShowWritten(this, fileName);
    return true;
}

bool TFileSave::SaveIntensityCsv(const QString& fileName)
{
    const CommandScope command(*this);
    if (QFileInfo::exists(fileName) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    const IntensitySpectraView spectra = intensityView();
    FrequencyRange rows;
    rows.given = true;
    rows.lo = ui->CSpinEdit1->value();
    rows.hi = ui->CSpinEdit2->value();
    int first = 0, last = 0;
    CsvRowRange(spectra, rows, first, last);
    if (first >= spectra.bins || last < first) {
        ShowMessageBox("ВНИМАНИЕ",
                       tr("В диапазоне Fmin ... Fmax нет ни одной частоты спектра: файл не "
                          "записан. Проверьте Fmin и Fmax.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    // The old file is replaced only by a complete new one.
    QString reason;
    if (!WriteFileReplacing(
            fileName,
            EncodeCsvLines(IntensityCsvLines(spectra, first, last, InterfaceCsvForm()), InterfaceCsvForm()),
            &reason)) {
        ShowPlainMessage(tr("Не удалось записать файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), reason)
                             .toStdString());
        return false;
    }
    ShowWritten(this, fileName);
    return true;
}
