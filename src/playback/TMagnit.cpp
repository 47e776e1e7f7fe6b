#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "Filters.h"
#include "MessageBox.h"
#include "RawRecord.h"
#include "Settings.h"
#include "SignalUtils.h"
#include "TS_Wait.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QStyle>
#include <QTimer>

#include <algorithm>
#include <cmath>

TMagnit::TMagnit(QWidget* owner, const QString& fileName)
    : QDialog(owner), ui(new Ui::TMagnit), path_(fileName), chooseSaveFile_(defaultSaveFileChooser)
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    bands_ = new ChartBands(ui->GR);
    units_ = new QButtonGroup(this);
    units_->addButton(ui->RadioButton1, kPlaybackPascals);
    units_->addButton(ui->RadioButton2, kPlaybackVolts);

    const std::pair<QAbstractButton*, QStyle::StandardPixmap> icons[] = {
        {ui->BitBtn6, QStyle::SP_MediaSkipBackward}, {ui->BitBtn4, QStyle::SP_MediaSeekBackward},
        {ui->BitBtn3, QStyle::SP_ArrowLeft},         {ui->BitBtn2, QStyle::SP_MediaPause},
        {ui->BitBtn1, QStyle::SP_ArrowRight},        {ui->SpeedButton1, QStyle::SP_MediaPlay},
        {ui->BitBtn5, QStyle::SP_MediaSkipForward},  {ui->BitBtn8, QStyle::SP_DialogSaveButton},
    };
    for (const auto& [button, pixmap] : icons)
        button->setIcon(style()->standardIcon(pixmap));

    FormCreate();
    opened_ = readHeader();
    connectControls();
    // Ending the program must not leave a play loop spinning without an event loop under it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { BitBtn2Click(); });
}

TMagnit::~TMagnit()
{
    if (reader_)
        (void)reader_->Close();
    delete ui;
}

int TMagnit::exec()
{
    if (!opened_)
        return QDialog::Rejected;
    return QDialog::exec();
}

void TMagnit::done(int result)
{
    if (playing_) {
        // The loop runs further down this stack: it must see the stop and return before the
        // window goes; it closes the window on its way out.
        closePending_ = true;
        closeResult_ = result;
        BitBtn2Click();
        return;
    }
    FormClose();
    QDialog::done(result);
}

void TMagnit::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

QCheckBox* TMagnit::channelBox(int channel) const
{
    QCheckBox* const boxes[6] = {ui->CheckBox5, ui->CheckBox6, ui->CheckBox3,
                                 ui->CheckBox4, ui->CheckBox1, ui->CheckBox2};
    return boxes[std::clamp(channel, 0, 5)];
}

const std::vector<double>& TMagnit::rawChannel(int channel) const
{
    return raw_[static_cast<size_t>(std::clamp(channel, 0, 5))];
}

std::array<double*, 6> TMagnit::channelPointers(std::array<std::vector<double>, 6>& arrays)
{
    std::array<double*, 6> out{};
    for (size_t c = 0; c < out.size(); ++c)
        out[c] = arrays[c].data();
    return out;
}

int TMagnit::unitIndex() const
{
    return units_->checkedId() == kPlaybackVolts ? kPlaybackVolts : kPlaybackPascals;
}

void TMagnit::FormCreate()
{
    Settings& s = CurrentSettings();
    for (int i = 0; i < 6; ++i) {
        QCheckBox* box = channelBox(i);
        box->setProperty("tag", 100 + i);
        box->setChecked(s.G_Vis[static_cast<size_t>(i)]);
        bands_->setAxisAutomatic(i, false);
        bands_->setAxisLimits(i, 0, 100);
        bands_->applyChannelSettings(i, s, i);
        bands_->setSeriesVisible(i, s.G_Vis[static_cast<size_t>(i)]);
        bands_->setAxisTitle(i, QStringLiteral("Канал %1").arg(i + 1));
    }
    boundary_ = false;
    reader_ = std::make_unique<TReadIshFile>(localPath(path_), s);
}

bool TMagnit::readHeader()
{
    if (reader_->Open() != 0) {
        reader_.reset();
        return false;
    }
    const int status = reader_->ReadHeader(hours_, minutes_, seconds_, rate_);
    // Contradictory stamps and refused recordings close the window, not the program: the
    // user may have other work open. A header that merely failed still gives a window when
    // it yielded a rate to read frames with.
    if (status == kRawHeaderContradictory || status == kRawHeaderRefused || rate_ == 0) {
        (void)reader_->Close();
        reader_.reset();
        return false;
    }
    durationSeconds_ = hours_ * 3600u + minutes_ * 60u + seconds_;

    Settings& s = CurrentSettings();
    const QSignalBlocker b1(ui->CSpinEdit1), b2(ui->CSpinEdit2), b3(ui->CSpinEdit3), b4(ui->CSpinEdit4),
        b5(ui->ComboBox1), b6(units_);
    ui->CSpinEdit1->setValue(s.LCADR);
    // The record keeps what the window can show: a frame of 1 to 10 s.
    s.LCADR = ui->CSpinEdit1->value();
    rememberedFrameSeconds_ = s.LCADR;
    // No frame is longer than the recording: a length remembered from a longer one would
    // read past the end on every step. The record keeps the user's length for the next file.
    const int longest = static_cast<int>(std::min<uint32_t>(durationSeconds_, ui->CSpinEdit1->maximum()));
    ui->CSpinEdit1->setMaximum(std::max(1, longest));
    frameShortened_ = ui->CSpinEdit1->value() < s.LCADR;
    allocateFrame(ui->CSpinEdit1->value());
    // The display filter works at the rate of the decimated frame: cut-offs above its
    // Nyquist frequency cannot be filtered, so the boxes do not offer them.
    const int limit = PlaybackFilterLimit(rate_, decimation_);
    ui->CSpinEdit2->setMaximum(limit);
    ui->CSpinEdit3->setMaximum(limit);
    ui->Button1->setEnabled(false);
    ui->Button2->setEnabled(false);
    ui->Button3->setEnabled(false);
    (s.PA_OR_VOLT == kPlaybackVolts ? ui->RadioButton2 : ui->RadioButton1)->setChecked(true);
    ui->CSpinEdit2->setValue(s.Fmin);
    ui->CSpinEdit3->setValue(s.Fmax);
    ui->ComboBox1->setCurrentIndex(std::clamp(s.FOrder, 0, ui->ComboBox1->count() - 1));
    ui->CSpinEdit4->setValue(s.zader);
    ui->Label2->setText(QString::fromStdString(FormatClockTime(durationSeconds_, false)));
    ui->TrackBar1->setMaximum(static_cast<int>(std::min<uint32_t>(durationSeconds_, INT32_MAX)));
    return true;
}

void TMagnit::allocateFrame(int seconds)
{
    const Settings& s = CurrentSettings();
    frameSeconds_ = std::max(1, seconds);
    decimation_ = std::max(1, s.prorezM);
    plan_ = PlanPlaybackFrame(frameSeconds_, rate_, decimation_);
    // The frame on screen keeps its own arrays until a frame of the new length is complete.
    const size_t n = static_cast<size_t>(plan_.count);
    for (auto& channel : staged_)
        channel.assign(n, 0.0);
    stagedTime_.assign(n, 0.0);
    // The caller moves the reader away from the end of the frame shown.
    frameStartPosition_ = frameEndPosition_ = -1;
}

void TMagnit::connectControls()
{
    connect(ui->CSpinEdit1, &QSpinBox::valueChanged, this, &TMagnit::CSpinEdit1Change);
    connect(ui->Button1, &QPushButton::clicked, this, &TMagnit::Button1Click);
    connect(units_, &QButtonGroup::idToggled, this, [this](int, bool checked) {
        if (checked)
            RadioGroup1Click();
    });
    connect(ui->BitBtn1, &QToolButton::clicked, this, &TMagnit::BitBtn1Click);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TMagnit::SpeedButton1Click);
    connect(ui->BitBtn2, &QToolButton::clicked, this, &TMagnit::BitBtn2Click);
    connect(ui->BitBtn3, &QToolButton::clicked, this, &TMagnit::BitBtn3Click);
    connect(ui->BitBtn4, &QToolButton::clicked, this, &TMagnit::BitBtn4Click);
    connect(ui->BitBtn5, &QToolButton::clicked, this, &TMagnit::BitBtn5Click);
    connect(ui->BitBtn6, &QToolButton::clicked, this, &TMagnit::BitBtn6Click);
    connect(ui->TrackBar1, &QSlider::valueChanged, this, &TMagnit::TrackBar1Change);
    connect(ui->Button2, &QPushButton::clicked, this, &TMagnit::Button2Click);
    for (int i = 0; i < 6; ++i) {
        QCheckBox* box = channelBox(i);
        connect(box, &QCheckBox::clicked, this, [this, box] { CheckBoxClick(box); });
    }
    connect(ui->CSpinEdit4, &QSpinBox::valueChanged, this, &TMagnit::CSpinEdit4Change);
    connect(bands_, &ChartBands::axisClicked, this, &TMagnit::GRClickAxis);
    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TMagnit::ComboBox1Change);
    connect(ui->CSpinEdit2, &QSpinBox::valueChanged, this, &TMagnit::CSpinEdit2Change);
    connect(ui->CSpinEdit3, &QSpinBox::valueChanged, this, &TMagnit::CSpinEdit3Change);
    connect(ui->Button3, &QPushButton::clicked, this, &TMagnit::Button3Click);
    connect(ui->BitBtn8, &QToolButton::clicked, this, &TMagnit::BitBtn8Click);
}

void TMagnit::FormShow()
{
    if (!opened_)
        return;
    (void)DisplayFrame(true);
    // What there is to say about the first frame is said over the window, once it is on
    // screen, not before it.
    QTimer::singleShot(0, this, [this] {
        if (!reader_)
            return;
        if (frameShortened_) {
            ShowMessageBox("ВНИМАНИЕ",
                           QStringLiteral("Кадр длиной %1 с длиннее записи: длина кадра сокращена до %2 с.")
                               .arg(rememberedFrameSeconds_)
                               .arg(frameSeconds_)
                               .toStdString(),
                           MB_OK | MB_ICONINFORMATION);
        }
        if (reader_)
            reportFilterFailure();
    });
}

void TMagnit::FormClose()
{
    if (formClosed_)
        return;
    formClosed_ = true;
    BitBtn2Click();
    if (!opened_)
        return;
    Settings& s = CurrentSettings();
    // A frame shortened to this recording alone leaves the user's length for the next one.
    s.LCADR = frameShortened_ && !frameLengthEdited_ ? rememberedFrameSeconds_ : ui->CSpinEdit1->value();
    s.PA_OR_VOLT = unitIndex();
    s.Fmin = ui->CSpinEdit2->value();
    s.Fmax = ui->CSpinEdit3->value();
    s.FOrder = ui->ComboBox1->currentIndex();
    if (reader_) {
        (void)reader_->Close();
        reader_.reset();
    }
}

void TMagnit::resetPanel()
{
    ui->Panel2->setText(QString());
    QPalette palette = ui->Panel2->palette();
    palette.setColor(QPalette::Window, ui->Panel2->style()->standardPalette().color(QPalette::Button));
    ui->Panel2->setPalette(palette);
}

bool TMagnit::DisplayFrame(bool read)
{
    if (!reader_ || plan_.count <= 0)
        return true;
    ui->Panel2->setText(QStringLiteral("Чтение"));
    QPalette palette = ui->Panel2->palette();
    palette.setColor(QPalette::Window, Qt::red);
    ui->Panel2->setPalette(palette);
    // Paint the indicator alone; processing all pending events here would let clicks run
    // in the middle of a frame.
    ui->Panel2->repaint();

    const Settings& s = CurrentSettings();
    factors_ = PlaybackScaleFactors(s, unitIndex());
    if (read) {
        const int64_t start = reader_->Position();
        // kRawFrameEnd: the recording has ended, nothing to report here; 1: the reader has
        // shown its boxes. Either way the frame shown stays.
        if (reader_->ReadFrame(plan_.step, plan_.count, stagedTime_.data(), channelPointers(staged_),
                               frameSeconds_) != 0)
            return true;
        if (plan_.trailing > 0) {
            // Past the records between the last sample and the next frame, so that the file
            // has moved on by exactly the frame, as the clock has. A frame whose samples are
            // all in is shown even if the recording ends inside this tail.
            double tailTime = 0.0;
            std::array<double, 6> tail{};
            std::array<double*, 6> tailPointers{};
            for (size_t c = 0; c < tail.size(); ++c)
                tailPointers[c] = &tail[c];
            (void)reader_->ReadFrame(static_cast<int>(plan_.trailing), 1, &tailTime, tailPointers, 0);
        }
        std::swap(raw_, staged_);
        std::swap(time_, stagedTime_);
        n_ = plan_.count;
        shownSeconds_ = frameSeconds_;
        const size_t n = static_cast<size_t>(n_);
        for (auto& channel : staged_)   // still of a former length after a length change
            channel.resize(n);
        stagedTime_.resize(n);
        for (auto& channel : displayed_)
            channel.resize(n);
        relativeTime_.resize(n);
        frameStartPosition_ = start;
        frameEndPosition_ = reader_->Position();
        frameLoaded_ = true;
    }
    if (!frameLoaded_) {
        resetPanel();
        return false;
    }

    // The raw frame stays as read (the export and every redraw start from it); the display
    // gets a filtered copy, so redrawing in another unit filters the samples once, not again.
    const int order = ui->ComboBox1->currentIndex();
    const int displayRate = PlaybackDisplayRate(rate_, decimation_);
    for (size_t c = 0; c < 6; ++c)
        std::copy(raw_[c].begin(), raw_[c].end(), displayed_[c].begin());
    bool filtered = order != 0;
    for (size_t c = 0; filtered && c < 6; ++c) {
        filtered =
            !ApplyBandFilter(kFilterButterworth, order, ui->CSpinEdit2->value(), ui->CSpinEdit3->value(), n_,
                             displayRate, displayed_[c].data(), displayed_[c].data());
    }
    if (order != 0 && !filtered) {
        // Never show a curve as filtered that is not: all six as read, and "Применить" stays
        // available, since the settings have not taken effect.
        for (size_t c = 0; c < 6; ++c)
            std::copy(raw_[c].begin(), raw_[c].end(), displayed_[c].begin());
        filterFailed_ = true;
        ui->Button3->setEnabled(true);
    }
    displayFiltered_ = filtered;
    for (int j = 0; j < n_; ++j)
        relativeTime_[static_cast<size_t>(j)] = time_[static_cast<size_t>(j)] - time_[0];

    ui->TrackBar1->setValue(static_cast<int>(std::min(std::trunc(time_[0]), double(INT32_MAX))));
    for (int c = 0; c < 6; ++c) {
        bands_->setSeriesData(c, relativeTime_.data(), displayed_[static_cast<size_t>(c)].data(), n_,
                              factors_[static_cast<size_t>(c)]);
    }
    if (read && n_ > 1)
        bands_->setXRange(0.0, relativeTime_.back());
    bands_->replot();
    resetPanel();
    return false;
}

void TMagnit::TrackBar1Change()
{
    ui->Label3->setText(QString::fromStdString(FormatClockTime(ui->TrackBar1->value(), false)));
    ui->Button2->setEnabled(true);
}

bool TMagnit::stepForward()
{
    if (!DisplayFrame(true))
        return false;
    markBoundary();
    return true;
}

void TMagnit::markBoundary()
{
    boundary_ = true;
    ui->Button2->setVisible(true);
    ui->Button2->setEnabled(false);
    resetPanel();
}

void TMagnit::reportFilterFailure()
{
    if (!filterFailed_)
        return;
    filterFailed_ = false;
    // Once for the settings in force: a play loop must not stop at every frame.
    if (filterErrorShown_)
        return;
    filterErrorShown_ = true;
    ShowMessageBox("ВНИМАНИЕ", "Ошибка фильтрации", MB_OK | MB_ICONWARNING);
}

bool TMagnit::backOverSeconds(int seconds)
{
    // Checked here, so that the start of the file is a boundary the window announces once,
    // not an error box for every second that could not be moved.
    const int64_t bytes = int64_t{seconds} * kRawRecordBytes * rate_;
    if (reader_->Position() - bytes < 0)
        return false;
    for (int i = 0; i < seconds; ++i)
        if (reader_->BackOneSecond() != 0)
            return false;
    return true;
}

void TMagnit::BitBtn1Click()
{
    if (!reader_)
        return;
    const bool ended = stepForward();
    reportFilterFailure();
    if (ended)
        ShowMessageBox("ВНИМАНИЕ", "Достигнут конец файла", MB_OK);
}

void TMagnit::BitBtn3Click()
{
    if (!reader_)
        return;
    // Back over the frame shown and over the one before it.
    if (!backOverSeconds(2 * frameSeconds_)) {
        ui->Button2->setVisible(true);
        ui->Button2->setEnabled(false);
        resetPanel();
        reader_->ToStart();
        BitBtn1Click();
        ShowMessageBox("ВНИМАНИЕ", "Достигнуто начало файла", MB_OK);
        boundary_ = true;
        return;
    }
    reader_->SetBackward(true);
    BitBtn1Click();
    if (reader_)
        reader_->SetBackward(false);
}

void TMagnit::SpeedButton1Click()
{
    playLoop(true);
}

void TMagnit::BitBtn4Click()
{
    playLoop(false);
}

void TMagnit::playLoop(bool forward)
{
    if (!reader_)
        return;
    if (playing_) {
        // One loop at a time: a second play button turns the running loop round.
        playForward_ = forward;
        return;
    }
    ui->Button2->setVisible(false);
    ui->CSpinEdit4->setEnabled(false);
    stop_ = false;
    playing_ = true;
    playForward_ = forward;
    const QPointer<TMagnit> self(this);
    while (!stop_ && reader_) {
        if (playForward_)
            BitBtn1Click();
        else
            BitBtn3Click();
        if (!self)
            return;
        if (boundary_) {
            if (reader_) {
                if (playForward_)
                    reader_->ToEnd();
                else
                    reader_->ToStart();
            }
            boundary_ = false;
            break;
        }
        waitBetweenFrames();
        if (!self)
            return;
    }
    playing_ = false;
    ui->CSpinEdit4->setEnabled(true);
    ui->Button2->setVisible(true);
    emit playStopped();
    if (closePending_) {
        closePending_ = false;
        done(closeResult_);
    }
}

void TMagnit::waitBetweenFrames()
{
    QCoreApplication::processEvents();
    const int delay = CurrentSettings().zader;
    if (stop_ || delay <= 0)
        return;
    // The pause keeps the window responsive, and a pause click ends it at once.
    QEventLoop loop;
    QTimer::singleShot(delay, &loop, &QEventLoop::quit);
    waitLoop_ = &loop;
    loop.exec();
    waitLoop_ = nullptr;
}

void TMagnit::BitBtn2Click()
{
    stop_ = true;
    if (waitLoop_)
        waitLoop_->quit();
    ui->Button2->setVisible(true);
    ui->Button2->setEnabled(false);
    ui->CSpinEdit4->setEnabled(true);
}

void TMagnit::BitBtn6Click()
{
    if (!reader_)
        return;
    reader_->ToStart();
    BitBtn1Click();
}

void TMagnit::BitBtn5Click()
{
    if (!reader_)
        return;
    reader_->ToEnd();
    BitBtn3Click();
}
