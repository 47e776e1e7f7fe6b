#include "TFileSave.h"
#include "ui_TFileSave.h"

#include "BackgroundWork.h"
#include "ChartBands.h"
#include "MessageBox.h"
#include "PlaybackFrame.h"
#include "ReadWriteMyFile.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "SignalUtils.h"
#include "TReGR.h"
#include "TS_Wait.h"
#include "TestSignal.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <climits>
#include <new>

namespace {

const QString kSav = QStringLiteral("Sav");

// Channel i's visibility box: captions 1..6 sit on these controls, in this order.
const char* const kChannelBoxes[6] = {"CheckBox5", "CheckBox6", "CheckBox3",
                                      "CheckBox4", "CheckBox1", "CheckBox2"};

const char* const kIntensityTitles[6] = {
    QT_TRANSLATE_NOOP("TFileSave", "Ix, Вт/м**2"), QT_TRANSLATE_NOOP("TFileSave", "Jx, Вт/м**2"),
    QT_TRANSLATE_NOOP("TFileSave", "Iy, Вт/м**2"), QT_TRANSLATE_NOOP("TFileSave", "Jy, Вт/м**2"),
    QT_TRANSLATE_NOOP("TFileSave", "Iz, Вт/м**2"), QT_TRANSLATE_NOOP("TFileSave", "Jz, Вт/м**2")};

}   // namespace

ProcessingOptions LoadProcessingOptions()
{
    SettingsStore store;
    ProcessingOptions o;
    o.filterType = store.ReadInteger(kSav, QStringLiteral("typeFilter"), 0);
    o.filterOrder = store.ReadInteger(kSav, QStringLiteral("porFilter"), 1);
    o.filterFmin = store.ReadInteger(kSav, QStringLiteral("FminFilter"), 0);
    o.filterFmax = store.ReadInteger(kSav, QStringLiteral("FmaxFilter"), 0);
    o.window = store.ReadInteger(kSav, QStringLiteral("Wind"), 0);
    for (int c = 0; c < 6; ++c)
        o.channels[c] = store.ReadBool(kSav, QStringLiteral("ch%1").arg(c + 1), false);
    return o;
}

void SaveProcessingOptions(const ProcessingOptions& o)
{
    SettingsStore store;
    store.WriteInteger(kSav, QStringLiteral("typeFilter"), o.filterType);
    store.WriteInteger(kSav, QStringLiteral("porFilter"), o.filterOrder);
    store.WriteInteger(kSav, QStringLiteral("FminFilter"), o.filterFmin);
    store.WriteInteger(kSav, QStringLiteral("FmaxFilter"), o.filterFmax);
    store.WriteInteger(kSav, QStringLiteral("Wind"), o.window);
    for (int c = 0; c < 6; ++c)
        store.WriteBool(kSav, QStringLiteral("ch%1").arg(c + 1), o.channels[c]);
}

TFileSave::TFileSave(QWidget* owner, const QString& fileName)
    : QDialog(owner), ui(new Ui::TFileSave), fileName_(fileName), testMode_(fileName.isEmpty())
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    const Settings& s = CurrentSettings();

    // Controls that come and go keep their place, so showing them never resizes the chart
    // (a chart resize switches the cursors off).
    for (QWidget* w : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Button8),
                       static_cast<QWidget*>(ui->Label1), static_cast<QWidget*>(ui->Label2),
                       static_cast<QWidget*>(ui->Label3), static_cast<QWidget*>(ui->Button10),
                       static_cast<QWidget*>(ui->Button2), static_cast<QWidget*>(ui->GroupBox2),
                       static_cast<QWidget*>(ui->Button9), static_cast<QWidget*>(ui->RadioGroup1),
                       static_cast<QWidget*>(ui->Button3)}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    // One line each, however long the readout: a growing label would squeeze the chart.
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3}) {
        label->setWordWrap(false);
        QSizePolicy policy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
        label->setFixedHeight(label->fontMetrics().height() + 4);
    }
    for (QWidget* w : {static_cast<QWidget*>(ui->Panel1), static_cast<QWidget*>(ui->Label1),
                       static_cast<QWidget*>(ui->Label2), static_cast<QWidget*>(ui->Label3),
                       static_cast<QWidget*>(ui->Button2), static_cast<QWidget*>(ui->Button10),
                       static_cast<QWidget*>(ui->GroupBox2), static_cast<QWidget*>(ui->Button8),
                       static_cast<QWidget*>(ui->Button9), static_cast<QWidget*>(ui->Panel2)})
        w->hide();
    ui->BitBtn1->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));

    ui->RadioGroup1->setReservedRows(3);   // "дБА" or "Вт/м**2" joins after a command
    ui->RadioGroup1->setItems({tr("Паскали"), tr("Вольты")});
    ui->RadioGroup2->setItems({tr("Импульс"), tr("Периодический")});

    chart_ = new ChartBands(ui->GR);
    for (int c = 0; c < 6; ++c) {
        QCheckBox* box = channelBox(c);
        box->setProperty("tag", 100 + c);
        box->setChecked(s.G_Vis[c]);
        connect(box, &QCheckBox::clicked, this,
                [this, box](bool checked) { CheckBoxClick(box->property("tag").toInt() - 100, checked); });
        chart_->applyChannelSettings(c, s, c);
        chart_->setSeriesVisible(c, s.G_Vis[c]);
    }
    SetUnitTitles(s.S_PA_OR_VOLT == kUnitVolt ? tr("В") : tr("Па"));

    options_ = LoadProcessingOptions();
    if (options_.window >= 0 && options_.window < ui->ComboBox4->count())
        ui->ComboBox4->setCurrentIndex(options_.window);

    // The unit the window opens with; the caller may choose again before showing it.
    ui->RadioGroup1->setItemIndex(s.S_PA_OR_VOLT == kUnitVolt ? kUnitVolt : kUnitPascal);

    connect(ui->RadioGroup1, &RadioGroup::itemClicked, this, &TFileSave::RadioGroup1Click);
    connect(ui->RadioGroup2, &RadioGroup::itemClicked, this, &TFileSave::RadioGroup2Click);
    connect(ui->CSpinEdit1, &QSpinBox::valueChanged, this, &TFileSave::CSpinEdit1Change);
    connect(ui->CSpinEdit2, &QSpinBox::valueChanged, this, &TFileSave::CSpinEdit2Change);
    connect(ui->Button1, &QPushButton::clicked, this, &TFileSave::Button1Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TFileSave::Button5Click);
    connect(ui->Button8, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button4, &QPushButton::clicked, this, &TFileSave::Button4Click);
    connect(ui->Button6, &QPushButton::clicked, this, &TFileSave::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &TFileSave::Button7Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TFileSave::Button2Click);
    SetupBandButton();
    connect(ui->Button9, &QPushButton::clicked, this, &TFileSave::Button9Click);
    connect(ui->Button13, &QPushButton::clicked, this, &TFileSave::Button13Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TFileSave::Button3Click);
    connect(ui->Button10, &QPushButton::clicked, this, &TFileSave::Button10Click);
    connect(ui->Button11, &QPushButton::clicked, this, &TFileSave::Button11Click);
    connect(ui->BitBtn1, &QToolButton::clicked, this, &TFileSave::BitBtn1Click);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TFileSave::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TFileSave::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &TFileSave::SpeedButton3Click);
    connect(ui->SpeedButton4, &QToolButton::clicked, this, &TFileSave::SpeedButton4Click);
    connect(ui->SpeedButton5, &QToolButton::clicked, this, &TFileSave::SpeedButton5Click);
    connect(ui->SpeedButton6, &QToolButton::clicked, this, &TFileSave::SpeedButton6Click);

    SD = new QFileDialog(this, QString(), QString(), tr("Файл *csv (*.csv)"));
    SD->setObjectName(QStringLiteral("SD"));
    SD->setAcceptMode(QFileDialog::AcceptSave);
    SD->setFileMode(QFileDialog::AnyFile);
    SD->setDefaultSuffix(QStringLiteral("csv"));
    // The window asks its own question before replacing a file.
    SD->setOption(QFileDialog::DontConfirmOverwrite, true);
    connect(chart_, &ChartBands::axisClicked, this, &TFileSave::GRClickAxis);
    connect(chart_, &ChartBands::xRangeChanged, this, &TFileSave::GRZoom);
    connect(chart_, &ChartBands::beforeDraw, this, &TFileSave::BeforeDraw);
    connect(chart_, &ChartBands::afterDraw, this, &TFileSave::AfterDraw);
    connect(chart_, &ChartBands::mousePressed, this,
            [this](QMouseEvent* e) { GRMouseDown(e->position().toPoint().x()); });
    connect(chart_, &ChartBands::mouseMoved, this,
            [this](QMouseEvent* e) { GRMouseMove(e->position().toPoint().x()); });
    connect(chart_, &ChartBands::mouseReleased, this, [this](QMouseEvent*) { GRMouseUp(); });
    ui->GR->installEventFilter(this);

    reader_ = std::make_unique<TReadWriteMyFile>(QFile::encodeName(fileName_).toStdString());
    if (!testMode_)
        readerOpen_ = !reader_->OpenForReading();
}

QCheckBox* TFileSave::channelBox(int channel) const
{
    return findChild<QCheckBox*>(QString::fromLatin1(kChannelBoxes[channel]));
}

TFileSave::~TFileSave()
{
    ReleaseWaitNotice();
    delete ui;
}

void TFileSave::setUnitSelection(int item)
{
    ui->RadioGroup1->setItemIndex(item);
}

void TFileSave::setAudioSource(const AudioOpenChoice& choice)
{
    audio_ = choice;
    // The raw reader has nothing to do with such a file.
    if (readerOpen_)
        reader_->Close();
    readerOpen_ = false;
}

void TFileSave::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    PlaceRepaintNotice();
    if (shown_)
        return;
    shown_ = true;
    ++commandDepth_;
    const bool opened = FormShow();
    --commandDepth_;
    if (!opened) {
        // Whatever refused the data has said why; an empty chart would only mislead.
        ReleaseWaitNotice();
        closePending_ = true;
        pendingResult_ = QDialog::Rejected;
    }
    if (closePending_) {
        // exec() starts its loop only after this returns: a window hidden now would leave that
        // loop waiting on nothing, so the close comes first thing in the loop.
        closePending_ = false;
        const int result = pendingResult_;
        QTimer::singleShot(0, this, [this, result] { done(result); });
    }
}

bool TFileSave::FormShow()
{
    Settings& s = CurrentSettings();
    view_.spectrumView = false;
    wait_ = new TS_Wait(this);
    wait_->setText(tr("Чтение файла"));
    wait_->showAndPaint();

    ui->CSpinEdit1->setValue(s.S_Fmin);
    ui->CSpinEdit2->setValue(s.S_Fmax);
    ui->RadioGroup2->setItemIndex(s.impuls);
    view_.frequencyView = {static_cast<double>(s.S_Fmin), static_cast<double>(s.S_Fmax)};

    uint32_t rate = 0;
    double duration = 0.0;
    if (audio_)
        return OpenAudioStretch();
    if (testMode_) {
        TReadWriteMyFile::TestSignalHeader(s, rate, duration);
    } else if (!readerOpen_ || reader_->ReadHeader(rate, duration)) {
        return false;
    }
    const uint32_t evenRate = SegmentEvenRate(rate);
    const int64_t n = SegmentSampleCount(rate, duration);
    if (n >= 0 && n < 2) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ",
                       tr("Слишком короткий сигнал: меньше двух отсчетов на канал. "
                          "Проверьте частоту оцифровки и длительность.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    // Checked before anything is taken: a long test signal at a high rate would need far
    // more than the machine has, and running out of memory half-way helps no one.
    const int64_t samples = n >= 0 ? n : TestSignalSampleCount(evenRate, duration);
    const int64_t need = ProcessingBytesNeeded(samples);
    const int64_t available = AvailableMemoryBytes();
    if (n < 0 || (available >= 0 && need > available)) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(samples, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }
    // Off the interface thread: a long recording or test signal takes a moment to read or
    // make, and the window should answer meanwhile. A cancel closes the window, as a refusal
    // does; a reader's message about a damaged file is shown once the work is over.
    Segment& seg = data_.segment;
    const TestSignalParams params = TestSignalParams::FromSettings(s);
    bool failed = false;
    WorkOutcome outcome = WorkOutcome::Done;
    try {
        outcome = RunInBackground(wait_, [&](WorkControl&) {
            data_.Allocate(static_cast<int32_t>(n));
            auto channels = ProcessingData::Pointers(seg.channels);
            if (testMode_)
                SynthesizeTestSignal(params, n, channels.data(), seg.time.data());
            else
                failed = reader_->ReadBody(evenRate, duration, channels, seg.time.data(), seg.paPerVolt);
        });
    } catch (const std::bad_alloc&) {
        data_.Release();
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(samples, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (failed || outcome == WorkOutcome::Cancelled) {
        data_.Release();
        return false;
    }
    seg.sampleRate = evenRate;
    view_.timeReadoutRange = {0, static_cast<int>(n) - 1};

    return ShowOpenedSamples();
}

bool TFileSave::OpenAudioStretch()
{
    const int64_t samples = audio_->frameCount;
    const int64_t need = ProcessingBytesNeeded(samples);
    const int64_t available = AvailableMemoryBytes();
    if (samples < 2) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ",
                       tr("Слишком короткий сигнал: меньше двух отсчетов на канал.").toStdString(),
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    if (samples > INT32_MAX || (available >= 0 && need > available)) {
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(samples, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }
    // A long recording takes a while to read and decode: off the interface thread.
    AudioResult result;
    const std::string path = QFile::encodeName(fileName_).toStdString();
    WorkOutcome outcome = WorkOutcome::Done;
    try {
        outcome = RunInBackground(wait_, [&](WorkControl&) {
            result = ReadAudioStretch(path, audio_->map, audio_->startFrame, audio_->frameCount,
                                      audio_->voltsFullScale, data_.segment);
        });
    } catch (const std::bad_alloc&) {
        data_.Release();
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(samples, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (outcome == WorkOutcome::Cancelled) {
        data_.Release();
        return false;
    }
    if (!result.ok() || data_.segment.sampleCount < 2) {
        data_.Release();
        ReleaseWaitNotice();
        ShowMessageBox("ВНИМАНИЕ",
                       result.ok()
                           ? tr("Слишком короткий сигнал: меньше двух отсчетов на канал.").toStdString()
                           : result.message,
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    // Pascals per volt from each microphone's sensitivity (mV/Pa), as the "Паскали" unit of a
    // segment has them from its file: the file's own when the program wrote them into it.
    AudioFileInfo info;
    if (ReadAudioInfo(path, info).ok())
        audioComment_ = info.comment;
    RecordingScale scale;
    (void)ScaleSamples(RecordingKind::Audio, audioComment_, CurrentSettings(), {}, data_.segment, scale);
    view_.timeReadoutRange = {0, data_.count() - 1};
    return ShowOpenedSamples();
}

bool TFileSave::ShowOpenedSamples()
{
    Segment& seg = data_.segment;
    const int n = seg.sampleCount;
    view_.timeView = {seg.time.front(), seg.time[static_cast<size_t>(n) - 1]};
    const int nyquist = NyquistLimit(seg.time.data(), seg.sampleCount);
    if (ui->CSpinEdit2->value() > nyquist) {
        ui->CSpinEdit2->setMaximum(nyquist);
        ui->CSpinEdit2->setValue(nyquist);
    }

    const int unit = ui->RadioGroup1->itemIndex();
    SetUnitTitles(unit == kUnitVolt ? tr("В") : tr("Па"));
    Redraw(ProcessingData::ConstPointers(data_.samples()), seg.time.data());
    return true;
}

void TFileSave::Redraw(const std::array<const double*, 6>& set, const double* x)
{
    const Settings& s = CurrentSettings();
    const int n = data_.count();
    const int count = view_.spectrumView ? n / 2 : n;
    // Intensity curves are W/m^2 already: no unit factor applies to them.
    const int unit = view_.intensityShown ? static_cast<int>(kUnitSpectrum) : ui->RadioGroup1->itemIndex();
    // An audio recording's samples are volts already; a segment's are ADC steps of VOLT volts.
    displayFactors_ = DisplayFactors(unit, testMode_, audio_ ? 1.0 : s.VOLT, data_.segment.paPerVolt);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        grabToleranceBase_ = screen->availableGeometry().width();

    for (int c = 0; c < 6; ++c)
        chart_->setSeriesData(c, x, set[c], count, displayFactors_[c]);
    if (view_.spectrumView) {
        chart_->setXRange(s.S_Fmin, s.S_Fmax);
    } else {
        chart_->setXRange(view_.timeView[0], view_.timeView[1]);
        chart_->setLabelIncrement(0.1 * (view_.timeView[1] - view_.timeView[0]));
    }
    chart_->replot();
}

void TFileSave::RedrawCurrentView()
{
    if (!view_.spectrumView)
        Redraw(ProcessingData::ConstPointers(data_.samples()), data_.segment.time.data());
    else if (view_.dbSelected)
        Redraw(ProcessingData::ConstPointers(data_.db), data_.frequency.data());
    else
        Redraw(ProcessingData::ConstPointers(data_.spectra), data_.frequency.data());
}

void TFileSave::SetUnitTitles(const QString& unit)
{
    for (int c = 0; c < 6; ++c)
        chart_->setAxisTitle(c, tr("Канал %1 (%2)").arg(c + 1).arg(unit));
}

void TFileSave::RestoreAxisScaling()
{
    const Settings& s = CurrentSettings();
    for (int c = 0; c < 6; ++c) {
        if (s.G_Auto[c]) {
            chart_->setAxisAutomatic(c, true);
        } else {
            chart_->setAxisAutomatic(c, false);
            chart_->setAxisLimits(c, s.G_Min[c], s.G_Max[c]);
        }
    }
}

void TFileSave::RadioGroup1Click(int item)
{
    if (view_.firstDrawPending)
        return;
    view_.dbSelected = false;
    if (item == kUnitPascal || item == kUnitVolt) {
        SetUnitTitles(item == kUnitVolt ? tr("В") : tr("Па"));
        RestoreAxisScaling();
        RedrawCurrentView();
    } else if (item == kUnitSpectrum && !view_.intensityShown) {
        view_.dbSelected = true;
        data_.EnsureDb();
        // Against the factors of the redraw that showed the amplitude spectra.
        data_.FillDb(displayFactors_);
        SetUnitTitles(tr("дБА"));
        RestoreAxisScaling();
        Redraw(ProcessingData::ConstPointers(data_.db), data_.frequency.data());
    } else if (item == kUnitSpectrum) {
        for (int c = 0; c < 6; ++c)
            chart_->setAxisTitle(c, tr(kIntensityTitles[c]));
    }
    Button5Click();
}

void TFileSave::RadioGroup2Click(int item)
{
    CurrentSettings().impuls = item;
}

void TFileSave::CheckBoxClick(int channel, bool checked)
{
    if (channel < 0 || channel >= 6)
        return;
    chart_->setSeriesVisible(channel, checked);
    CurrentSettings().G_Vis[channel] = chart_->seriesVisible(channel);
    chart_->replot();
}

void TFileSave::CSpinEdit1Change(int value)
{
    CurrentSettings().S_Fmin = value;
    view_.frequencyView[0] = value;
}

void TFileSave::CSpinEdit2Change(int value)
{
    CurrentSettings().S_Fmax = value;
    view_.frequencyView[1] = value;
}

void TFileSave::GRClickAxis(int channel)
{
    if (channel < 0 || channel >= 6)
        return;
    const CommandScope command(*this);
    {
        TReGR dialog(this, channel);
        dialog.setWindowTitle(tr("Канал %1").arg(channel + 1));
        dialog.exec();
    }
    chart_->applyAxisDialogResult(channel, CurrentSettings());
    chart_->replot();
}

void TFileSave::GRZoom(double lower, double upper)
{
    if (view_.spectrumView)
        view_.frequencyView = {lower, upper};
    else
        view_.timeView = {lower, upper};
    chart_->setLabelIncrement(0.1 * (upper - lower));
}

void TFileSave::Button5Click()
{
    const int n = data_.count();
    if (n < 2)
        return;
    for (int c = 0; c < 6; ++c) {
        double lo = 0, hi = 0;
        // The curve as drawn: the working samples (filtered, transformed) in the time view.
        if (!view_.spectrumView)
            LocalExtremes(n, view_.timeView[0], view_.timeView[1], data_.segment.time.data(),
                          data_.samples()[c].data(), c, displayFactors_, lo, hi);
        else
            LocalExtremes(
                data_.halfCount(), view_.frequencyView[0], view_.frequencyView[1], data_.frequency.data(),
                view_.dbSelected ? data_.db[c].data() : data_.spectra[c].data(), c, displayFactors_, lo, hi);
        view_.localMin[c] = lo;
        view_.localMax[c] = hi;
        chart_->setAxisAutomatic(c, false);
        if (lo < hi)
            chart_->setAxisLimits(c, lo, hi);
        else
            chart_->setAxisLimits(c, lo - 1.0, hi + 1.0);   // a flat stretch still gets an axis
    }
    view_.localAutoscaleApplied = true;
    chart_->replot();
}

bool TFileSave::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->GR && event->type() == QEvent::Resize && !view_.firstDrawPending && cursorsOn_)
        Button1Click();
    return QDialog::eventFilter(watched, event);
}

void TFileSave::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    PlaceRepaintNotice();
}

void TFileSave::PlaceRepaintNotice()
{
    const QRect chartArea = ui->GR->geometry();
    ui->Panel2->move(chartArea.center() - ui->Panel2->rect().center());
}

void TFileSave::ReleaseWaitNotice()
{
    delete wait_;
    wait_ = nullptr;
}

TFileSave::CommandScope::CommandScope(TFileSave& window) : window_(window)
{
    ++window_.commandDepth_;
}

TFileSave::CommandScope::~CommandScope()
{
    if (--window_.commandDepth_ == 0 && window_.closePending_) {
        window_.closePending_ = false;
        window_.done(window_.pendingResult_);
    }
}

void TFileSave::done(int result)
{
    if (commandDepth_ > 0) {
        closePending_ = true;
        pendingResult_ = result;
        return;
    }
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    QDialog::done(result);
}

void TFileSave::FormClose()
{
    options_.window = ui->ComboBox4->currentIndex();
    SaveProcessingOptions(options_);
    for (int c = 0; c < 6; ++c)
        chart_->clearSeries(c);
    data_.Release();
    if (!testMode_ && readerOpen_)
        reader_->Close();
    readerOpen_ = false;
    reader_.reset();
}
