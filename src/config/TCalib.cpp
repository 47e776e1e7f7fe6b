#include "TCalib.h"
#include "ui_TCalib.h"

#include "AudioFile.h"
#include "BackgroundWork.h"
#include "MessageBox.h"
#include "PlaybackFrame.h"
#include "Recording.h"
#include "ProcessingData.h"
#include "ReadWriteMyFile.h"
#include "RecentFolders.h"
#include "SettingLimits.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "TS_Wait.h"

#include <QColor>
#include <QDir>
#include <QDoubleValidator>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>

#include <cmath>
#include <memory>
#include <new>

namespace {

constexpr int kColumns = 7;

// The user's notation without group separators, as the warnings and the other dialogs write
// numbers ("48000", not "48 000").
QLocale numberLocale()
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale;
}

// Numbers as the user types them: the locale's notation, or a dot.
std::optional<double> parseNumber(const QString& text)
{
    bool ok = false;
    double v = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok)
        v = QLocale::c().toDouble(text.trimmed(), &ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString fixed(double value, int decimals)
{
    return numberLocale().toString(value, 'f', decimals);
}

std::string shortNumber(double value)
{
    return numberLocale().toString(value, 'g', 7).toStdString();
}

QString capitalised(const std::string& text)
{
    QString t = QString::fromStdString(text);
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return t;
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

void setupCombo(QComboBox* combo, const QStringList& items, const QString& current)
{
    combo->addItems(items);
    combo->setCurrentText(current);
    combo->setInsertPolicy(QComboBox::NoInsert);
}

}   // namespace

TCalib::TCalib(QWidget* owner) : QDialog(owner), ui(new Ui::TCalib)
{
    ui->setupUi(this);
    setupCombo(ui->ComboLevel, {QStringLiteral("94"), QStringLiteral("104"), QStringLiteral("114")},
               QStringLiteral("94"));
    setupCombo(ui->ComboFrequency, {QStringLiteral("250"), QStringLiteral("1000")}, QStringLiteral("1000"));

    QTableWidget* table = ui->Table;
    table->setHorizontalHeaderLabels({tr("Микрофон"), tr("Частота тона (Гц)"), tr("Уровень (дБ)"),
                                      tr("Новая (мВ/Па)"), tr("Прежняя (мВ/Па)"), tr("Изменение (дБ)"),
                                      tr("Стабильность (дБ)")});
    table->horizontalHeaderItem(2)->setToolTip(tr("Уровень тона при прежней чувствительности"));
    table->horizontalHeaderItem(6)->setToolTip(
        tr("Разность наибольшего и наименьшего уровня по секундам записи"));
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    // All six microphones at once, never behind a scroll bar.
    table->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int rowsHeight = table->rowCount() * table->verticalHeader()->defaultSectionSize();
    table->setFixedHeight(table->horizontalHeader()->sizeHint().height() + rowsHeight +
                          2 * table->frameWidth());

    ui->SpinStart->setEnabled(false);
    ui->SpinLength->setEnabled(false);
    ui->SpinFullScale->setEnabled(false);
    clearResults();
    resize(sizeHint().expandedTo(QSize(900, 640)));

    connect(ui->ButtonOpen, &QPushButton::clicked, this, &TCalib::ButtonOpenClick);
    connect(ui->ButtonCompute, &QPushButton::clicked, this, [this] { Compute(); });
    connect(ui->ButtonApply, &QPushButton::clicked, this, [this] { Apply(); });
    connect(ui->ButtonCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Results belong to the input they were computed from: any change of it withdraws them,
    // so "Применить" never files sensitivities of another tone or stretch.
    connect(ui->ComboLevel, &QComboBox::currentTextChanged, this, [this] { clearResults(); });
    connect(ui->ComboFrequency, &QComboBox::currentTextChanged, this, [this] { clearResults(); });
    connect(ui->SpinLength, &QDoubleSpinBox::valueChanged, this, [this] { clearResults(); });
    connect(ui->SpinFullScale, &QDoubleSpinBox::valueChanged, this, [this] { clearResults(); });
    connect(ui->SpinStart, &QDoubleSpinBox::valueChanged, this, [this](double start) {
        if (source_)
            ui->SpinLength->setMaximum(std::max(0.0, source_->seconds() - start));
        clearResults();
    });
}

TCalib::~TCalib()
{
    delete ui;
}

void TCalib::ButtonOpenClick()
{
    QFileDialog OD(this);
    OD.setObjectName(QStringLiteral("OD"));
    OD.setFileMode(QFileDialog::ExistingFile);
    OD.setNameFilters({tr("Записи калибратора (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff *.kvnb)"),
                       tr("Все файлы (*)")});
    StartInRecentFolder(OD, FolderKind::Recordings);
    if (OD.exec() != QDialog::Accepted || OD.selectedFiles().isEmpty())
        return;
    RememberDialogFolder(OD, FolderKind::Recordings);
    OpenRecording(OD.selectedFiles().constFirst());
}

bool TCalib::OpenRecording(const QString& fileName)
{
    const std::string path = QFile::encodeName(fileName).toStdString();
    CalibrationSource source;
    SegmentHeader header;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("kvnb"), Qt::CaseInsensitive) == 0) {
        // The reader shows its own messages about a file it cannot use.
        TReadWriteMyFile file(path);
        const bool failed = file.OpenForReading() || file.ReadSegmentHeader(header);
        file.Close();
        if (failed)
            return false;
        source.rate = header.evenRate;
        source.frames = header.sampleCount;
    } else {
        AudioFileInfo info;
        const AudioResult opened = ReadAudioInfo(path, info);
        if (!opened.ok()) {
            std::string text = opened.message;
            if (opened.status == AudioStatus::CannotOpen)
                text +=
                    "\n" +
                    utf8(tr("Калибровка читает звукозаписи (WAV, FLAC, AIFF и другие) и сегменты (*.kvnb)."));
            ShowMessageBox("ВНИМАНИЕ", text, MB_OK | MB_ICONWARNING);
            return false;
        }
        source.audio = true;
        source.rate = info.sampleRate;
        source.frames = info.frames;
        source.channels = info.channels;
        source.formatText = info.formatText;
    }
    if (!(source.rate > 0.0) || source.frames < 1) {
        ShowMessageBox("ВНИМАНИЕ",
                       utf8(tr("В записи %1 нет ни одного отсчета").arg(QDir::toNativeSeparators(fileName))),
                       MB_OK | MB_ICONWARNING);
        return false;
    }

    fileName_ = fileName;
    source_ = source;
    segmentHeader_ = header;
    ui->EditFile->setText(QDir::toNativeSeparators(fileName));
    const QString kind =
        source.audio ? tr("%1, каналов: %2")
                           .arg(QString::fromStdString(source.formatText), QString::number(source.channels))
                     : tr("Сегмент, отсчеты АЦП × %1 В").arg(CurrentSettings().VOLT);
    ui->LabelInfo->setText(
        tr("%1; частота оцифровки %2 Гц; длительность %3 с")
            .arg(kind, numberLocale().toString(source.rate, 'g', 9), fixed(source.seconds(), 3)));
    const double seconds = source.seconds();
    const QSignalBlocker blockStart(ui->SpinStart);
    const QSignalBlocker blockLength(ui->SpinLength);
    ui->SpinStart->setRange(0.0, seconds);
    ui->SpinStart->setValue(0.0);
    ui->SpinLength->setRange(0.0, seconds);
    ui->SpinLength->setValue(seconds);
    ui->SpinStart->setEnabled(true);
    ui->SpinLength->setEnabled(true);
    ui->SpinFullScale->setEnabled(source.audio);
    clearResults();
    return true;
}

std::optional<CalibratorTone> TCalib::toneFromInput()
{
    const std::optional<double> level = parseNumber(ui->ComboLevel->currentText());
    if (!level || *level <= 0.0) {
        ui->ComboLevel->setFocus();
        ShowMessageBox("ВНИМАНИЕ",
                       utf8(tr("Уровень калибратора: нужно положительное число, дБ отн. 20 мкПа")), MB_OK);
        return std::nullopt;
    }
    const std::optional<double> frequency = parseNumber(ui->ComboFrequency->currentText());
    if (!frequency || *frequency <= 0.0) {
        ui->ComboFrequency->setFocus();
        ShowMessageBox("ВНИМАНИЕ", utf8(tr("Частота калибратора: нужно положительное число, Гц")), MB_OK);
        return std::nullopt;
    }
    return CalibratorTone{*level, *frequency};
}

bool TCalib::Compute()
{
    if (!source_) {
        ShowMessageBox("ВНИМАНИЕ", utf8(tr("Сначала откройте запись калибратора")), MB_OK);
        return false;
    }
    const std::optional<CalibratorTone> tone = toneFromInput();
    if (!tone)
        return false;
    const CalibrationSource source = *source_;
    const int64_t first = std::llround(ui->SpinStart->value() * source.rate);
    const int64_t count =
        std::min<int64_t>(std::llround(ui->SpinLength->value() * source.rate), source.frames - first);
    if (first >= source.frames || count < 1) {
        ShowMessageBox("ВНИМАНИЕ", utf8(tr("В выбранном участке записи нет ни одного отсчета")), MB_OK);
        return false;
    }
    const int64_t need = CalibrationBytesNeeded(count);
    const int64_t available = AvailableMemoryBytes();
    if (count > INT32_MAX || (available >= 0 && need > available)) {
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(count, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }

    const std::string path = QFile::encodeName(fileName_).toStdString();
    const Settings& s = CurrentSettings();
    const double volt = s.VOLT;
    const std::array<double, 6> old = ChannelSensitivities(s);
    const double fullScale = ui->SpinFullScale->value();
    const SegmentHeader header = segmentHeader_;
    std::string error;
    std::vector<MicrophoneCalibration> rows;
    double rate = source.rate;

    auto notice = std::make_unique<TS_Wait>(this);
    notice->setText(tr("Читается запись калибратора"));
    notice->showAndPaint();
    WorkOutcome outcome = WorkOutcome::Done;
    try {
        // Off the interface thread: nothing here shows a message or touches a widget.
        outcome = RunInBackground(notice.get(), [&](WorkControl& control) {
            Segment volts;
            if (source.audio) {
                const AudioResult read =
                    ReadAudioStretch(path, {0, 1, 2, 3, 4, 5}, first, count, fullScale, volts);
                if (!read.ok()) {
                    error = read.message;
                    return;
                }
            } else {
                error = ReadSegmentStretchVolts(path, header, first, count, volt, volts);
                if (!error.empty())
                    return;
            }
            rate = volts.sampleRate;
            if (control.cancelled())
                return;
            rows = CalibrateMicrophones(volts, *tone, old, std::nullopt, [&control](double done) {
                control.setProgress(done);
                return !control.cancelled();
            });
        });
    } catch (const std::bad_alloc&) {
        notice.reset();
        ShowMessageBox("ВНИМАНИЕ", MemoryRefusalText(count, need, available), MB_OK | MB_ICONWARNING);
        return false;
    }
    notice.reset();
    if (outcome == WorkOutcome::Cancelled)
        return false;
    if (!error.empty()) {
        ShowMessageBox("ВНИМАНИЕ", error, MB_OK | MB_ICONWARNING);
        return false;
    }
    results_ = std::move(rows);
    tone_ = *tone;
    rate_ = rate;
    showResults();
    return true;
}

void TCalib::clearResults()
{
    results_.clear();
    ui->Table->clearContents();
    ui->Table->clearSpans();
    for (int row = 0; row < ui->Table->rowCount(); ++row)
        ui->Table->setItem(row, 0, new QTableWidgetItem(tr("Микрофон %1").arg(row + 1)));
    ui->Warnings->clear();
    ui->ButtonApply->setEnabled(false);
}

void TCalib::showResults()
{
    QTableWidget* table = ui->Table;
    table->clearContents();
    table->clearSpans();
    QStringList warnings;
    bool anyToApply = false;
    for (const MicrophoneCalibration& row : results_) {
        const int r = row.microphone;
        const QString name = tr("Микрофон %1").arg(r + 1);
        table->setItem(r, 0, new QTableWidgetItem(name));
        const ChannelCalibration& c = row.result;
        const std::string failure = CalibrationFailureRu(c, tone_, rate_, shortNumber);
        if (!failure.empty()) {
            table->setSpan(r, 1, 1, kColumns - 1);
            table->setItem(r, 1, new QTableWidgetItem(capitalised(failure)));
            warnings << tr("%1: %2; прежняя чувствительность сохранится.")
                            .arg(name, QString::fromStdString(failure));
            continue;
        }
        const QStringList cells{fixed(c.foundFrequency, 1),
                                c.levelWithOldDb ? fixed(*c.levelWithOldDb, 2) : QStringLiteral("—"),
                                fixed(c.sensitivity, 3),
                                fixed(c.oldSensitivity, 3),
                                c.changeDb ? fixed(*c.changeDb, 2) : QStringLiteral("—"),
                                c.stabilityDb ? fixed(*c.stabilityDb, 3) : QStringLiteral("—")};
        const bool usable = row.toneFound() && IsValidSensitivity(c.sensitivity);
        for (int col = 1; col < kColumns; ++col) {
            auto* item = new QTableWidgetItem(cells[col - 1]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!usable) {
                // Shown for what it is worth, but marked: "Применить" will not take it.
                item->setForeground(QColor(0xB0, 0x00, 0x00));
                item->setToolTip(tr("Тон калибратора не найден: прежняя чувствительность сохранится"));
            }
            table->setItem(r, col, item);
        }
        for (const std::string& warning : row.warnings)
            warnings << name + QStringLiteral(": ") + QString::fromStdString(warning);
        if (usable)
            anyToApply = true;
        else
            warnings << tr("%1: прежняя чувствительность сохранится.").arg(name);
    }
    ui->Warnings->setPlainText(warnings.isEmpty() ? tr("Предупреждений нет.")
                                                  : warnings.join(QLatin1Char('\n')));
    ui->ButtonApply->setEnabled(anyToApply);
}

bool TCalib::Apply()
{
    Settings& s = CurrentSettings();
    std::vector<const MicrophoneCalibration*> applied;
    Settings updated = s;
    for (const MicrophoneCalibration& row : results_) {
        if (!row.toneFound() || !IsValidSensitivity(row.result.sensitivity))
            continue;
        const int32_t slot = s.Chs[static_cast<size_t>(row.microphone)];
        if (slot < 0 || slot > 5)
            continue;
        updated.Chuv[static_cast<size_t>(slot)] = row.result.sensitivity;
        applied.push_back(&row);
    }
    if (applied.empty()) {
        ShowMessageBox(
            "ВНИМАНИЕ",
            utf8(tr("Нет новых чувствительностей: ни у одного микрофона не найден тон калибратора")), MB_OK);
        return false;
    }
    // Filed through the channel order, as the channel-order dialog files them; a store that
    // takes nothing leaves them in the dialog unless the user applies them for this session only.
    if (const StoreStatus saved = SaveChannelOrderKeys(updated);
        !saved.ok() && ShowMessageBox("ВНИМАНИЕ", utf8(StoreApplyUnsavedQuestion(saved)),
                                      MB_YESNO | MB_ICONWARNING) != IDYES)
        return false;
    s = updated;
    accept();
    return true;
}
