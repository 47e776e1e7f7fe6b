// The playback window: opening the recording, its controls and the settings they keep, and
// stepping and playing through the frames.
#include "TMagnit.h"
#include "ui_TMagnit.h"

#include "ChartBands.h"
#include "KeyHints.h"
#include "MessageBox.h"
#include "Settings.h"
#include "SignalUtils.h"
#include "TReGR.h"
#include "TS_Wait.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QStyle>
#include <QTimer>

#include <algorithm>

std::string TMagnit::localPath(const QString& name)
{
    return QFile::encodeName(name).toStdString();
}

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
        bands_->setAxisTitle(i, tr("Канал %1").arg(i + 1));
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
    durationSeconds_ = ClockSeconds(hours_, minutes_, seconds_);

    Settings& s = CurrentSettings();
    const QSignalBlocker b1(ui->CSpinEdit1), b2(ui->CSpinEdit2), b3(ui->CSpinEdit3), b4(ui->CSpinEdit4),
        b5(ui->ComboBox1), b6(units_);
    ui->CSpinEdit1->setValue(s.LCADR);
    // The record keeps what the window can show: a frame of 1 to 10 s.
    s.LCADR = ui->CSpinEdit1->value();
    rememberedFrameSeconds_ = s.LCADR;
    // No frame is longer than the recording: a length remembered from a longer one would
    // read past the end on every step. The record keeps the user's length for the next file.
    ui->CSpinEdit1->setMaximum(LongestPlaybackFrame(durationSeconds_, ui->CSpinEdit1->maximum()));
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
    ui->TrackBar1->setMaximum(PlaybackTrackMaximum(durationSeconds_));
    return true;
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

    // The space bar plays forward or stops, the arrows step a frame; a spin box's own arrows
    // still move its text cursor.
    AddWindowKey(this, QKeySequence(Qt::Key_Space), [this] {
        if (playing_)
            ui->BitBtn2->click();
        else
            ui->SpeedButton1->click();
    });
    ShowKeyInToolTip(ui->SpeedButton1, QKeySequence(Qt::Key_Space));
    ShowKeyInToolTip(ui->BitBtn2, QKeySequence(Qt::Key_Space));
    AddWindowKey(
        this, QKeySequence(Qt::Key_Left), [this] { ui->BitBtn3->click(); }, ui->BitBtn3);
    AddWindowKey(
        this, QKeySequence(Qt::Key_Right), [this] { ui->BitBtn1->click(); }, ui->BitBtn1);
    SetButtonShortcut(ui->BitBtn8, QKeySequence::Save);
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
                           tr("Кадр длиной %1 с длиннее записи: длина кадра сокращена до %2 с.")
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

void TMagnit::TrackBar1Change()
{
    ui->Label3->setText(QString::fromStdString(FormatClockTime(ui->TrackBar1->value(), false)));
    ui->Button2->setEnabled(true);
}

void TMagnit::BitBtn1Click()
{
    if (!reader_)
        return;
    const bool ended = stepForward();
    reportFilterFailure();
    if (ended)
        ShowMessageBox("ВНИМАНИЕ", tr("Достигнут конец файла").toStdString(), MB_OK);
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
        ShowMessageBox("ВНИМАНИЕ", tr("Достигнуто начало файла").toStdString(), MB_OK);
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

void TMagnit::Button2Click()
{
    if (!reader_)
        return;
    ui->Button2->setEnabled(false);
    const ClockTime at = SplitClockSeconds(static_cast<uint32_t>(std::max(0, ui->TrackBar1->value())));
    if (reader_->SeekTo(at.hours, at.minutes, at.seconds) == 0)
        BitBtn1Click();
}

void TMagnit::CSpinEdit1Change()
{
    frameLengthEdited_ = true;
    ui->Button1->setEnabled(true);
}

void TMagnit::Button1Click()
{
    if (!reader_)
        return;
    bool ended = false;
    {
        TS_Wait wait(this);
        wait.showAndPaint();
        if (!reader_)   // the window was closed while the notice painted
            return;
        Settings& s = CurrentSettings();
        s.prevLCADR = frameSeconds_;
        s.LCADR = ui->CSpinEdit1->value();
        frameLengthEdited_ = true;
        // Back to the start of the frame shown, then show it at the new length.
        const int back =
            SecondsBackToFrameStart(reader_->Position(), frameEndPosition_, shownSeconds_, frameSeconds_);
        allocateFrame(s.LCADR);
        if (!backOverSeconds(back))
            reader_->ToStart();
        ended = stepForward();
        ui->Button1->setEnabled(false);
    }
    // Messages only once the notice has gone.
    reportFilterFailure();
    if (ended && reader_)
        ShowMessageBox("ВНИМАНИЕ", tr("Достигнут конец файла").toStdString(), MB_OK);
}

void TMagnit::RadioGroup1Click()
{
    (void)DisplayFrame(false);
    reportFilterFailure();
}

void TMagnit::CheckBoxClick(QCheckBox* sender)
{
    const int channel = sender->property("tag").toInt() - 100;
    if (channel < 0 || channel > 5)
        return;
    const bool visible = sender->isChecked();
    bands_->setSeriesVisible(channel, visible);
    CurrentSettings().G_Vis[static_cast<size_t>(channel)] = visible;
    bands_->replot();
}

void TMagnit::CSpinEdit4Change()
{
    CurrentSettings().zader = ui->CSpinEdit4->value();
}

void TMagnit::GRClickAxis(int channel)
{
    if (channel < 0 || channel > 5)
        return;
    {
        TReGR dialog(this, channel);
        dialog.setWindowTitle(tr("Канал %1").arg(channel + 1));
        dialog.exec();
    }
    bands_->applyAxisDialogResult(channel, CurrentSettings());
    bands_->replot();
}

void TMagnit::ComboBox1Change()
{
    CurrentSettings().FOrder = ui->ComboBox1->currentIndex();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::CSpinEdit2Change()
{
    CurrentSettings().Fmin = ui->CSpinEdit2->value();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::CSpinEdit3Change()
{
    CurrentSettings().Fmax = ui->CSpinEdit3->value();
    filterErrorShown_ = false;
    ui->Button3->setEnabled(true);
}

void TMagnit::Button3Click()
{
    if (!reader_)
        return;
    {
        TS_Wait wait(this);
        wait.setText(tr("Идет фильтрация"));
        wait.showAndPaint();
        ui->Button3->setEnabled(false);
        // The user asked for these settings: a failure is worth saying again.
        filterErrorShown_ = false;
        // The frame shown is still in memory, unfiltered: filtering it anew shows exactly that
        // frame, wherever the reader stands and whatever frame length the spin box shows.
        (void)DisplayFrame(false);
    }
    reportFilterFailure();
}
