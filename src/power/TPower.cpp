#include "TPower.h"

#include "BackgroundWork.h"
#include "ChartImage.h"
#include "IntensityText.h"
#include "Language.h"
#include "MessageBox.h"
#include "PowerCharts.h"
#include "PowerReport.h"
#include "PowerTableCsv.h"
#include "PowerText.h"
#include "ResultText.h"
#include "Settings.h"
#include "SettingsStore.h"
#include "SurveyFile.h"
#include "SurveyPointAnalysis.h"
#include "TS_Wait.h"
#include "WrittenNote.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <charconv>
#include <cmath>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr qint64 kSurveyLimitBytes = 16 << 20;
QString recordFilter()
{
    return QCoreApplication::translate("TPower",
                                       "Все записи (*.kvnb *.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff);;"
                                       "Сегменты (*.kvnb);;"
                                       "Звуковые файлы (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff)");
}

QString csvFilter()
{
    return QCoreApplication::translate("TPower", "CSV файл (*.csv)");
}

QString surveyFilter()
{
    return QCoreApplication::translate("TPower",
                                       "Обзор (*.csv *.json);;CSV файл (*.csv);;JSON файл (*.json)");
}
const QColor kFailedRow(255, 205, 200);

const QColor& gradeColor(SurveyGrade grade)
{
    static const QColor colors[] = {QColor(250, 200, 195), QColor(200, 235, 205), QColor(205, 220, 245),
                                    QColor(250, 232, 190)};
    return colors[static_cast<int>(grade)];
}

// While the points are read on the worker, what the readers say there is kept for the point's
// own line instead of popping up once the work is over; anything said on another thread goes on
// to the presenter that was there before.
class WorkerMessages : public MessagePresenter {
public:
    WorkerMessages() : thread_(std::this_thread::get_id()), previous_(SetMessagePresenter(this)) {}
    ~WorkerMessages() override { SetMessagePresenter(previous_); }
    WorkerMessages(const WorkerMessages&) = delete;
    WorkerMessages& operator=(const WorkerMessages&) = delete;

    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override
    {
        if (std::this_thread::get_id() != thread_)
            return previous_ ? previous_->present(kind, caption, text, flags)
                             : ((flags & 0xF) == MB_YESNO ? IDNO : IDOK);
        const std::lock_guard<std::mutex> lock(mutex_);
        kept_ += (kept_.empty() ? "" : "; ") + text;
        return (flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    }
    std::string take()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        std::string text;
        text.swap(kept_);
        return text;
    }

private:
    std::thread::id thread_;
    MessagePresenter* previous_;
    std::mutex mutex_;
    std::string kept_;
};

// A number as a user types it, with a dot or a comma.
std::optional<double> typedNumber(const QString& text)
{
    bool ok = false;
    const double v = QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

// A normal as typed: a face ("+x", "top", ...) or three numbers; the survey reader's own rules
// make it unit length, so the window accepts exactly what a survey file may hold.
std::optional<std::array<double, 3>> typedNormal(const QString& text)
{
    const QStringList parts =
        QString(text).trimmed().split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    std::string survey;
    if (parts.size() == 1) {
        survey = "file,area,face\nx,1," + parts[0].toStdString() + "\n";
    } else if (parts.size() == 3) {
        survey = "file,area,nx,ny,nz\nx,1";
        for (const QString& part : parts) {
            const std::optional<double> v = typedNumber(part);
            if (!v)
                return std::nullopt;
            char buffer[64];
            const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, *v);
            (void)ec;
            survey += "," + std::string(buffer, end);
        }
        survey += "\n";
    } else {
        return std::nullopt;
    }
    if (survey.find('"') != std::string::npos)
        return std::nullopt;
    std::vector<SurveyPoint> parsed;
    if (!ParseSurveyCsv(survey, parsed).empty() || parsed.size() != 1)
        return std::nullopt;
    return parsed.front().normal;
}

QString pointName(const SurveyPoint& p, size_t index)
{
    const QString file = QFileInfo(QString::fromStdString(p.file)).fileName();
    return p.label.empty()
               ? QStringLiteral("%1 (%2)").arg(index + 1).arg(file)
               : QStringLiteral("%1 (%2, %3)").arg(index + 1).arg(QString::fromStdString(p.label), file);
}

// How an audio point is read: the channel map the audio open dialog remembers for its channel
// count and the full scale it remembers for its kind, the whole recording.
AudioPlan audioPlanFor(const QString& path)
{
    AudioPlan plan;
    AudioFileInfo info;
    if (!ReadAudioInfo(QFile::encodeName(path).toStdString(), info).ok())
        return plan;
    const SettingsStore store;
    const QString section = QStringLiteral("AudioFiles");
    for (int m = 0; m < 6; ++m) {
        const int stored =
            store.ReadInteger(section, QStringLiteral("Map%1_%2").arg(info.channels).arg(m + 1), m + 1) - 1;
        plan.map[static_cast<size_t>(m)] = stored >= 0 && stored < info.channels ? stored : m;
    }
    const double scale =
        store.ReadFloat(section, QStringLiteral("FullScale_") + QFileInfo(path).suffix().toLower(), 1.0);
    plan.fullScale = std::isfinite(scale) && scale > 0 ? scale : 1.0;
    return plan;
}

// A point's state after a failed reading; the list marks the row by its start.
QString failedState(const QString& reason)
{
    return QCoreApplication::translate("TPower", "ошибка: %1").arg(reason);
}

QPushButton* button(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

}   // namespace

TPower::TPower(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TPower"));
    setWindowTitle(tr("Мощность по точкам"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(1200, 820);

    auto* layout = new QVBoxLayout(this);

    // The points.
    auto* pointsBox = new QGroupBox(tr("Точки обзора"), this);
    auto* pointsLayout = new QVBoxLayout(pointsBox);
    auto* pointButtons = new QHBoxLayout;
    QPushButton* add = button(pointsBox, "ButtonAdd", tr("Добавить файлы…"));
    remove_ = button(pointsBox, "ButtonRemove", tr("Удалить"));
    up_ = button(pointsBox, "ButtonUp", tr("Выше"));
    down_ = button(pointsBox, "ButtonDown", tr("Ниже"));
    QPushButton* open = button(pointsBox, "ButtonOpenSurvey", tr("Открыть обзор…"));
    QPushButton* save = button(pointsBox, "ButtonSaveSurvey", tr("Сохранить обзор…"));
    for (QPushButton* b : {add, remove_, up_, down_})
        pointButtons->addWidget(b);
    pointButtons->addStretch();
    pointButtons->addWidget(open);
    pointButtons->addWidget(save);
    pointsLayout->addLayout(pointButtons);
    pointTable_ = new QTableWidget(0, kPointColumns, pointsBox);
    pointTable_->setObjectName(QStringLiteral("TablePoints"));
    pointTable_->setHorizontalHeaderLabels({QStringLiteral("№"), tr("Метка"), tr("Файл"), tr("Площадь, м²"),
                                            tr("Нормаль (грань или nx ny nz)"), tr("Состояние")});
    pointTable_->verticalHeader()->setVisible(false);
    pointTable_->setSelectionBehavior(QAbstractItemView::SelectRows);
    pointTable_->setSelectionMode(QAbstractItemView::SingleSelection);
    pointTable_->horizontalHeader()->setStretchLastSection(true);
    pointTable_->setToolTip(tr("Метку, площадь и нормаль можно изменить двойным щелчком. Нормаль — "
                               "грань (+x, -x, +y, -y, +z, -z, top, front, back, left, right) "
                               "или три числа через пробел."));
    pointsLayout->addWidget(pointTable_);

    // How to compute.
    auto* options = new QHBoxLayout;
    octave_ = new QRadioButton(tr("Октавы"), this);
    octave_->setObjectName(QStringLiteral("RadioOctave"));
    third_ = new QRadioButton(tr("Третьоктавы"), this);
    third_->setObjectName(QStringLiteral("RadioThird"));
    third_->setChecked(true);
    auto* fractions = new QButtonGroup(this);
    fractions->addButton(octave_);
    fractions->addButton(third_);
    residual_ = new QLineEdit(this);
    residual_->setObjectName(QStringLiteral("EditResidual"));
    residual_->setPlaceholderText(tr("не задан"));
    residual_->setFixedWidth(residual_->fontMetrics().horizontalAdvance(residual_->placeholderText()) + 24);
    residual_->setToolTip(tr("Индекс остаточной интенсивности зонда, дБ. Без него критерий 1 не "
                             "проверяется."));
    grade_ = new QComboBox(this);
    grade_->setObjectName(QStringLiteral("ComboGrade"));
    grade_->addItems({tr("1 — точный"), tr("2 — технический"), tr("3 — ориентировочный")});
    grade_->setCurrentIndex(1);
    source_ = new QLineEdit(this);
    source_->setObjectName(QStringLiteral("EditSource"));
    source_->setPlaceholderText(tr("источник шума (для отчёта)"));
    source_->setMinimumWidth(source_->fontMetrics().horizontalAdvance(source_->placeholderText()) + 24);
    calculate_ = button(this, "ButtonCalculate", tr("Рассчитать"));
    calculate_->setDefault(true);
    options->addWidget(octave_);
    options->addWidget(third_);
    options->addSpacing(16);
    options->addWidget(new QLabel(tr("Индекс остаточной интенсивности, дБ:"), this));
    options->addWidget(residual_);
    options->addSpacing(16);
    options->addWidget(new QLabel(tr("Нужный класс точности:"), this));
    options->addWidget(grade_);
    options->addSpacing(16);
    options->addWidget(source_, 1);
    options->addWidget(calculate_);

    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("LabelStatus"));
    status_->setWordWrap(true);

    // The power.
    chart_ = new QCustomPlot(this);
    new ChartImageMenu(chart_);
    chart_->setObjectName(QStringLiteral("ChartPower"));
    chart_->setMinimumHeight(200);
    {
        auto* row = new QCPLayoutGrid;
        chart_->plotLayout()->insertRow(0);
        chart_->plotLayout()->addElement(0, 0, row);
        row->addElement(0, 0, chart_->legend);
        row->setMargins(QMargins(0, 4, 0, 0));
        chart_->legend->setFillOrder(QCPLegend::foColumnsFirst);
        chart_->legend->setBorderPen(Qt::NoPen);
        chart_->legend->setBrush(Qt::NoBrush);
        chart_->plotLayout()->setRowStretchFactor(0, 0.001);
        chart_->legend->setVisible(false);
    }
    chart_->installEventFilter(this);
    powerTable_ = new QTableWidget(0, kPowerColumnCount, this);
    powerTable_->setObjectName(QStringLiteral("TablePower"));
    powerTable_->setHorizontalHeaderLabels(PowerTableHeaders());
    powerTable_->verticalHeader()->setVisible(false);
    powerTable_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    powerTable_->horizontalHeader()->setStretchLastSection(true);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("LabelSummary"));
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* powerPart = new QWidget(this);
    auto* powerLayout = new QVBoxLayout(powerPart);
    powerLayout->setContentsMargins(0, 0, 0, 0);
    powerLayout->addWidget(powerTable_, 1);
    powerLayout->addWidget(summary_);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(pointsBox);
    splitter->addWidget(chart_);
    splitter->addWidget(powerPart);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 2);
    splitter->setStretchFactor(2, 3);
    splitter->setSizes({220, 240, 300});

    auto* bottom = new QHBoxLayout;
    pdf_ = button(this, "ButtonPdf", tr("Отчёт PDF…"));
    csv_ = button(this, "ButtonCsv", tr("Записать CSV…"));
    QPushButton* closeButton = button(this, "ButtonClose", tr("Закрыть"));
    bottom->addWidget(pdf_);
    bottom->addWidget(csv_);
    bottom->addStretch();
    bottom->addWidget(closeButton);

    layout->addWidget(splitter, 1);
    layout->addLayout(options);
    layout->addWidget(status_);
    layout->addLayout(bottom);

    connect(add, &QPushButton::clicked, this, [this] {
        const QStringList files =
            askFiles(false, tr("Добавить точки"), recordFilter(), QString(), FolderKind::Recordings);
        if (!files.isEmpty())
            AddFiles(files);
    });
    connect(remove_, &QPushButton::clicked, this, [this] { RemovePoint(pointTable_->currentRow()); });
    connect(up_, &QPushButton::clicked, this, [this] { MovePoint(pointTable_->currentRow(), -1); });
    connect(down_, &QPushButton::clicked, this, [this] { MovePoint(pointTable_->currentRow(), 1); });
    connect(open, &QPushButton::clicked, this, [this] {
        if (!MayDiscardEdits())
            return;
        const QStringList files =
            askFiles(false, tr("Открыть обзор"), surveyFilter(), QString(), FolderKind::Surveys);
        if (!files.isEmpty()) {
            modified_ = false;   // already asked
            OpenSurvey(files.constFirst());
        }
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QStringList files =
            askFiles(true, tr("Сохранить обзор"), csvFilter(), QStringLiteral("csv"), FolderKind::Surveys);
        if (!files.isEmpty())
            SaveSurvey(files.constFirst());
    });
    connect(pointTable_, &QTableWidget::itemChanged, this, &TPower::PointEdited);
    connect(pointTable_, &QTableWidget::itemSelectionChanged, this, &TPower::UpdateButtons);
    connect(calculate_, &QPushButton::clicked, this, &TPower::Calculate);
    connect(octave_, &QRadioButton::toggled, this, [this] { ClearPower(QString()); });
    connect(residual_, &QLineEdit::textEdited, this, [this] { ClearPower(QString()); });
    connect(grade_, &QComboBox::currentIndexChanged, this, [this] { UpdateShortfall(); });
    connect(csv_, &QPushButton::clicked, this, [this] {
        const QStringList files =
            askFiles(true, tr("Записать CSV"), csvFilter(), QStringLiteral("csv"), FolderKind::Csv);
        if (!files.isEmpty())
            SaveCsv(files.constFirst());
    });
    connect(pdf_, &QPushButton::clicked, this, [this] {
        const QStringList files = askFiles(true, tr("Отчёт PDF"), tr("PDF файл (*.pdf)"),
                                           QStringLiteral("pdf"), FolderKind::Images);
        if (!files.isEmpty())
            SaveReport(files.constFirst());
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    ClearPower(tr("Добавьте файлы точек или откройте обзор, затем нажмите «Рассчитать»."));
    FillPoints();
}

TPower::~TPower() = default;

QStringList TPower::askFiles(bool save, const QString& title, const QString& filter, const QString& suffix,
                             FolderKind kind)
{
    QFileDialog dialog(this, title, surveyPath_.isEmpty() ? QString() : QFileInfo(surveyPath_).absolutePath(),
                       filter);
    dialog.setObjectName(QStringLiteral("FileDialog"));
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(suffix);
        // The window asks its own question before it replaces a file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    } else {
        dialog.setFileMode(title == tr("Добавить точки") ? QFileDialog::ExistingFiles
                                                         : QFileDialog::ExistingFile);
    }
    // The survey's own folder first; without a survey, where this kind of file was last.
    if (surveyPath_.isEmpty())
        StartInRecentFolder(dialog, kind);
    if (dialog.exec() != QDialog::Accepted)
        return {};
    RememberDialogFolder(dialog, kind);
    return dialog.selectedFiles();
}

void TPower::FillPoints()
{
    const QSignalBlocker block(pointTable_);
    const int current = pointTable_->currentRow();
    const QString failedPrefix = failedState(QString());
    pointTable_->setRowCount(static_cast<int>(points_.size()));
    for (size_t i = 0; i < points_.size(); ++i) {
        const SurveyPoint& p = points_[i];
        const int row = static_cast<int>(i);
        const QString file = QString::fromStdString(p.file);
        const QString cells[kPointColumns] = {QString::number(i + 1),     QString::fromStdString(p.label),
                                              QFileInfo(file).fileName(), SpectrumValueText(p.area, 7),
                                              NormalText(p.normal),       states_[i]};
        const bool failed = states_[i].startsWith(failedPrefix);
        for (int c = 0; c < kPointColumns; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            const bool editable = c == kColLabel || c == kColArea || c == kColNormal;
            item->setFlags(editable ? item->flags() | Qt::ItemIsEditable
                                    : item->flags() & ~Qt::ItemIsEditable);
            if (c == kColFile)
                item->setToolTip(QDir::toNativeSeparators(file));
            if (c == kColState)
                item->setToolTip(states_[i]);
            if (failed)
                item->setBackground(kFailedRow);
            pointTable_->setItem(row, c, item);
        }
    }
    pointTable_->resizeColumnsToContents();
    if (pointTable_->columnWidth(kColFile) > 320)
        pointTable_->setColumnWidth(kColFile, 320);
    if (current >= 0 && current < pointTable_->rowCount())
        pointTable_->selectRow(current);
    UpdateButtons();
}

void TPower::UpdateButtons()
{
    const int row = pointTable_->currentRow();
    const int n = static_cast<int>(points_.size());
    const bool selected = row >= 0 && row < n && !pointTable_->selectedItems().isEmpty();
    remove_->setEnabled(selected);
    up_->setEnabled(selected && row > 0);
    down_->setEnabled(selected && row + 1 < n);
    calculate_->setEnabled(n > 0);
    csv_->setEnabled(hasPower());
    pdf_->setEnabled(hasPower());
}

void TPower::AddFiles(const QStringList& files)
{
    for (const QString& file : files) {
        SurveyPoint p;
        p.file = QDir::cleanPath(QFileInfo(file).absoluteFilePath()).toStdString();
        p.area = 1.0;
        p.normal = {1.0, 0.0, 0.0};
        p.label = "P" + std::to_string(points_.size() + 1);
        points_.push_back(p);
        states_.push_back(QString());
    }
    if (!files.isEmpty()) {
        modified_ = true;
        ClearPower(QString());
    }
    FillPoints();
}

void TPower::RemovePoint(int row)
{
    if (row < 0 || row >= static_cast<int>(points_.size()))
        return;
    points_.erase(points_.begin() + row);
    states_.erase(states_.begin() + row);
    modified_ = true;
    ClearPower(QString());
    FillPoints();
}

void TPower::MovePoint(int row, int by)
{
    const int to = row + by;
    const int n = static_cast<int>(points_.size());
    if (row < 0 || row >= n || to < 0 || to >= n)
        return;
    std::swap(points_[row], points_[to]);
    std::swap(states_[row], states_[to]);
    modified_ = true;
    FillPoints();
    pointTable_->selectRow(to);
}

void TPower::PointEdited(QTableWidgetItem* item)
{
    const int row = item->row();
    if (row < 0 || row >= static_cast<int>(points_.size()))
        return;
    SurveyPoint& p = points_[row];
    const QString text = item->text();
    QString refusal;
    switch (item->column()) {
    case kColLabel:
        if (text.contains(QLatin1Char('\n')))
            refusal = tr("метка не может содержать перевод строки");
        else
            p.label = text.trimmed().toStdString();
        break;
    case kColArea:
        if (const std::optional<double> area = typedNumber(text); area && *area > 0)
            p.area = *area;
        else
            refusal =
                tr("площадь должна быть положительным числом квадратных метров, введено «%1»").arg(text);
        break;
    case kColNormal:
        if (const auto normal = typedNormal(text))
            p.normal = *normal;
        else
            refusal = tr("нормаль — это грань (+x, -x, +y, -y, +z, -z, top, front, back, left, "
                         "right) или три числа не все нулевые, введено «%1»")
                          .arg(text);
        break;
    default:
        return;
    }
    if (!refusal.isEmpty()) {
        const QString column = pointTable_->horizontalHeaderItem(item->column())->text();
        ShowMessageBox("Ошибка",
                       tr("Точка %1, столбец «%2»: %3. Значение не изменено.")
                           .arg(row + 1)
                           .arg(column, refusal)
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
    } else {
        modified_ = true;
        ClearPower(QString());
    }
    // Shows the value held, so a refused text never stays in the cell. The item is changed in
    // place: it is the one whose change is being reported.
    const QSignalBlocker block(pointTable_);
    switch (item->column()) {
    case kColLabel:
        item->setText(QString::fromStdString(p.label));
        break;
    case kColArea:
        item->setText(SpectrumValueText(p.area, 7));
        break;
    default:
        item->setText(NormalText(p.normal));
        break;
    }
}

bool TPower::MayDiscardEdits()
{
    if (!modified_ || points_.empty())
        return true;
    return ShowMessageBox("Внимание!",
                          tr("Изменения обзора не сохранены. Продолжить без сохранения?").toStdString(),
                          MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool TPower::OpenSurvey(const QString& fileName)
{
    if (!MayDiscardEdits())
        return false;
    const QString shown = QDir::toNativeSeparators(fileName);
    QFile file(fileName);
    QString error;
    QByteArray bytes;
    if (!QFileInfo(fileName).isFile())
        error = tr("файл не найден");
    else if (QFileInfo(fileName).size() > kSurveyLimitBytes)
        error = tr("файл слишком велик для обзора (больше 16 МБ)");
    else if (!file.open(QIODevice::ReadOnly))
        error = file.errorString();
    else
        bytes = file.readAll();
    std::vector<SurveyPoint> read;
    std::string source;
    if (error.isEmpty())
        if (const std::string problem =
                ParseSurveyText(fileName.toStdString(), bytes.toStdString(), read, &source);
            !problem.empty())
            error = QString::fromStdString(problem);
    if (!error.isEmpty()) {
        ShowMessageBox("Ошибка", tr("Не удалось прочитать обзор %1: %2").arg(shown, error).toStdString(),
                       MB_OK | MB_ICONWARNING);
        return false;
    }
    // Relative names are taken from the folder the survey really lies in, not a link's.
    const QString real = QFileInfo(fileName).canonicalFilePath();
    const QDir folder = QFileInfo(real.isEmpty() ? fileName : real).absoluteDir();
    for (SurveyPoint& p : read)
        p.file = QDir::cleanPath(folder.absoluteFilePath(QString::fromStdString(p.file))).toStdString();
    points_ = std::move(read);
    if (!source.empty())
        source_->setText(QString::fromStdString(source));
    states_.assign(points_.size(), QString());
    surveyPath_ = QFileInfo(fileName).absoluteFilePath();
    modified_ = false;
    ClearPower(tr("Обзор %1: точек %2.").arg(shown).arg(points_.size()));
    FillPoints();
    return true;
}

bool TPower::SaveSurvey(const QString& fileName)
{
    if (points_.empty()) {
        ShowMessageBox("Внимание!", tr("В обзоре нет ни одной точки.").toStdString(), MB_OK | MB_ICONWARNING);
        return false;
    }
    if (QFileInfo(fileName).absoluteFilePath() != surveyPath_ && QFileInfo::exists(fileName) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    const QString text = SurveyCsvText(points_, QFileInfo(fileName).absoluteDir());
    QString reason;
    if (!WriteFileReplacing(fileName, text.toUtf8(), &reason)) {
        ShowPlainMessage(tr("Не удалось записать файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), reason)
                             .toStdString());
        return false;
    }
    surveyPath_ = QFileInfo(fileName).absoluteFilePath();
    modified_ = false;
    ShowWritten(this, fileName);
    return true;
}

std::optional<double> TPower::residualIndex(bool& bad) const
{
    bad = false;
    const QString text = residual_->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> db = typedNumber(text);
    if (!db || !(*db > 0.0) || *db > 100.0) {
        bad = true;
        return std::nullopt;
    }
    return db;
}

void TPower::ClearPower(const QString& status)
{
    table_ = SurveyPowerTable{};
    powerTable_->setRowCount(0);
    chart_->clearPlottables();
    chart_->clearItems();
    chart_->legend->setVisible(false);
    // No empty axes before there is a power to show: a line saying what will be there.
    for (QCPAxis* axis : {chart_->xAxis, chart_->yAxis}) {
        axis->setVisible(false);
        axis->grid()->setVisible(false);
    }
    auto* hint = new QCPItemText(chart_);
    hint->setClipToAxisRect(false);
    hint->position->setType(QCPItemPosition::ptViewportRatio);
    hint->position->setCoords(0.5, 0.5);
    hint->setColor(Qt::gray);
    hint->setText(tr("Уровни звуковой мощности по полосам появятся здесь после расчёта"));
    chart_->replot();
    summary_->clear();
    if (!status.isEmpty() || !status_->text().isEmpty())
        status_->setText(status.isEmpty() ? tr("Нажмите «Рассчитать», чтобы найти мощность.") : status);
    UpdateButtons();
}

void TPower::Calculate()
{
    if (running_)
        return;
    if (points_.empty()) {
        ShowMessageBox("Внимание!", tr("Добавьте точки обзора.").toStdString(), MB_OK | MB_ICONWARNING);
        return;
    }
    bool bad = false;
    const std::optional<double> residual = residualIndex(bad);
    if (bad) {
        ShowMessageBox("Ошибка",
                       tr("Индекс остаточной интенсивности: нужно число децибел больше 0 и не "
                          "больше 100, введено «%1».")
                           .arg(residual_->text())
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    ClearPower(tr("Расчёт…"));

    // What the work reads, copied here: it must not touch the window or the program's record.
    const Settings settings = CurrentSettings();
    PointAnalysisPlan plan;
    plan.window = SettingsStore().ReadInteger(QStringLiteral("Sav"), QStringLiteral("Wind"), 0);
    plan.options.fraction = octave_->isChecked() ? 1 : 3;
    plan.options.periodic = settings.impuls == 1;
    plan.options.density = settings.plotnost;
    plan.options.soundSpeed = settings.skorost;
    plan.options.spacings = settings.lmic;
    plan.options.residualIndexDb = residual;

    const size_t n = points_.size();
    std::vector<PointAnalysisPlan> plans(n, plan);
    std::vector<std::string> paths(n);
    std::vector<QString> errors(n);
    for (size_t i = 0; i < n; ++i) {
        paths[i] = points_[i].file;
        const QFileInfo info(QString::fromStdString(points_[i].file));
        if (!info.exists())
            errors[i] = tr("файл не найден");
        else if (info.isDir())
            errors[i] = tr("это папка, а не файл записи");
        else if (IsAudioInput(paths[i]))
            plans[i].audio = audioPlanFor(info.filePath());
    }

    std::vector<std::optional<BandAnalysis>> analyses(n);
    auto notice = std::make_unique<TS_Wait>(this);
    TS_Wait* shown = notice.get();
    notice->setText(tr("Точка 1 из %1…").arg(n));
    notice->showAndPaint();
    running_ = true;
    cancel_ = false;
    WorkOutcome outcome = WorkOutcome::Done;
    try {
        outcome = RunInBackground(notice.get(), [&](WorkControl& control) {
            WorkerMessages messages;
            for (size_t i = 0; i < n; ++i) {
                if (control.cancelled() || cancel_.load()) {
                    control.cancel();
                    return;
                }
                control.setProgress(static_cast<double>(i) / static_cast<double>(n));
                const QString progress = tr("Точка %1 из %2…").arg(i + 1).arg(n);
                QMetaObject::invokeMethod(
                    shown, [shown, progress] { shown->setText(progress); }, Qt::QueuedConnection);
                QMetaObject::invokeMethod(
                    this, [this, progress] { status_->setText(progress); }, Qt::QueuedConnection);
                if (!errors[i].isEmpty())
                    continue;
                BandAnalysis a;
                std::string error;
                try {
                    error = AnalysePointFile(paths[i], settings, plans[i], a);
                } catch (const std::exception& e) {
                    error = tr("непредвиденная ошибка: %1").arg(QString::fromUtf8(e.what())).toStdString();
                } catch (...) {
                    error = tr("непредвиденная ошибка").toStdString();
                }
                const std::string said = messages.take();
                if (error.empty())
                    analyses[i] = std::move(a);
                else
                    errors[i] = QString::fromStdString(said.empty() ? error : said + "; " + error);
            }
            control.setProgress(1.0);
        });
    } catch (const std::exception& e) {
        errors.assign(n, QString());
        running_ = false;
        ClearPower(tr("Расчёт не выполнен: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    notice.reset();
    running_ = false;

    if (outcome == WorkOutcome::Cancelled || cancel_.load()) {
        states_.assign(n, QString());
        FillPoints();
        ClearPower(tr("Расчёт прерван: мощность не рассчитана."));
        if (closePending_) {
            closePending_ = false;
            done(pendingResult_);
        }
        return;
    }

    QStringList failed;
    for (size_t i = 0; i < n; ++i) {
        states_[i] = errors[i].isEmpty() ? tr("прочитана") : failedState(errors[i]);
        if (!errors[i].isEmpty())
            failed << tr("точка %1: %2").arg(pointName(points_[i], i), errors[i]);
    }
    FillPoints();
    if (!failed.isEmpty()) {
        ClearPower(tr("Мощность не рассчитана: не прочитано точек %1 из %2.").arg(failed.size()).arg(n));
        ShowMessageBox("Ошибка",
                       (tr("Не удалось прочитать точки обзора; мощность не рассчитана, пока все "
                           "точки не будут прочитаны.\n\n") +
                        failed.join(QLatin1Char('\n')))
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    table_ = ComputeSurveyPower(points_, analyses, residual);
    tableResidual_ = residual;
    if (table_.rows.empty()) {
        ClearPower(tr("Мощность не рассчитана: у точек нет общих полос."));
        ShowMessageBox("Ошибка",
                       tr("У точек нет ни одной общей полосы (одинаковы ли частота дискретизации и "
                          "длительность записей?); мощность не рассчитана.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
        return;
    }
    ShowPower();
}

void TPower::ShowPower()
{
    const int rows = static_cast<int>(table_.rows.size());
    powerTable_->setRowCount(rows);
    QFont bold = powerTable_->font();
    bold.setBold(true);
    for (int r = 0; r < rows; ++r) {
        const SurveyPowerRow& row = table_.rows[static_cast<size_t>(r)];
        const QStringList cells = PowerRowCells(row, false);
        for (int c = 0; c < kPowerColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c == kPowerColAdvice || c == kPowerColGrade
                                       ? Qt::AlignLeft | Qt::AlignVCenter
                                       : Qt::AlignRight | Qt::AlignVCenter);
            if (c == kPowerColGrade)
                item->setBackground(gradeColor(row.power.grade));
            if (c == kPowerColAdvice)
                item->setToolTip(cells[c]);
            if (row.aWeightedTotal)
                item->setFont(bold);
            powerTable_->setItem(r, c, item);
        }
    }
    powerTable_->resizeColumnsToContents();
    if (powerTable_->columnWidth(kPowerColAdvice) > 420)
        powerTable_->setColumnWidth(kPowerColAdvice, 420);
    DrawPowerChart(*chart_, table_);
    chart_->replot();
    status_->setText(tr("Рассчитано: точек %1, полос %2 (%3).")
                         .arg(table_.pointsRead.size())
                         .arg(rows - 1)
                         .arg(table_.fraction == 1 ? tr("октавы") : tr("третьоктавы")));
    UpdateShortfall();
    UpdateButtons();
}

void TPower::UpdateShortfall()
{
    if (!hasPower()) {
        summary_->clear();
        return;
    }
    const int wanted = grade_->currentIndex() + 1;
    QStringList lines;
    for (const SurveyPowerRow& row : table_.rows)
        if (row.aWeightedTotal)
            lines << (row.power.powerLevelDb
                          ? tr("Корректированный по A уровень мощности LWA = %1 дБ(A), класс точности: %2.")
                                .arg(FixedText(*row.power.powerLevelDb, 10, 1), GradeText(row.power.grade))
                          : tr("Корректированная по A мощность отрицательна."));
    if (table_.pointsRead.size() < 10)
        lines << tr("Точек %1, меньше 10: критерий N ≥ 10 не выполнен.").arg(table_.pointsRead.size());
    // The bands short of the grade by name; the criteria each misses are in its grade cell's tip.
    QStringList shortBands;
    for (size_t r = 0; r < table_.rows.size(); ++r) {
        const SurveyPowerRow& row = table_.rows[r];
        const std::vector<std::string> failing = SurveyGradeShortfall(row, wanted, tableResidual_);
        QStringList criteria;
        for (const std::string& text : failing)
            criteria << QString::fromStdString(text);
        if (QTableWidgetItem* cell = powerTable_->item(static_cast<int>(r), kPowerColGrade))
            cell->setToolTip(criteria.isEmpty() ? QString()
                                                : tr("Не выполнено для класса %1: %2")
                                                      .arg(row.aWeightedTotal ? 3 : wanted)
                                                      .arg(criteria.join(QStringLiteral(", "))));
        if (!criteria.isEmpty())
            shortBands << (row.aWeightedTotal ? tr("сумма A (класс 3)") : SpectrumValueText(row.nominal, 6));
    }
    if (shortBands.isEmpty())
        lines << tr("Все полосы достигают класса точности %1.").arg(wanted);
    else
        lines << tr("Не достигают класса точности %1 полосы, Гц: %2. Невыполненные критерии — во "
                    "всплывающей подсказке столбца «Класс точности».")
                     .arg(wanted)
                     .arg(shortBands.join(QStringLiteral("; ")));
    summary_->setText(lines.join(QLatin1Char('\n')));
}

QString TPower::pointState(int row) const
{
    return row >= 0 && row < static_cast<int>(states_.size()) ? states_[static_cast<size_t>(row)] : QString();
}

QString TPower::sourceText() const
{
    return source_->text();
}

QString TPower::statusText() const
{
    return status_->text();
}

bool TPower::SaveCsv(const QString& fileName)
{
    if (!hasPower())
        return false;
    if (QFileInfo::exists(fileName) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    QString reason;
    // The English interface writes the plain form other programs read; the Russian one its own.
    const QByteArray bytes = CurrentLanguage() == UiLanguage::English
                                 ? PlainPowerCsv(table_)
                                 : EncodeCsvLines(PowerCsvLines(table_, tableResidual_));
    if (!WriteFileReplacing(fileName, bytes, &reason)) {
        ShowPlainMessage(tr("Не удалось записать файл %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), reason)
                             .toStdString());
        return false;
    }
    ShowWritten(this, fileName);
    return true;
}

bool TPower::SaveReport(const QString& fileName)
{
    if (!hasPower())
        return false;
    if (QFileInfo::exists(fileName) &&
        ShowMessageBox("Внимание!", tr("Файл существует.Переписать?").toStdString(),
                       MB_YESNO | MB_ICONQUESTION) != IDYES)
        return false;
    const Settings& s = CurrentSettings();
    PowerReportInput input;
    input.source = source_->text().trimmed();
    input.surveyPath = surveyPath_;
    input.points = points_;
    input.table = table_;
    input.residualIndexDb = tableResidual_;
    input.grade = grade_->currentIndex() + 1;
    if (CurrentLanguage() == UiLanguage::English)
        input.locale = QLocale::c();
    input.constants << tr("Расстояния между микрофонами, м: %1; %2; %3")
                           .arg(SpectrumValueText(s.lmic[0], 6), SpectrumValueText(s.lmic[1], 6),
                                SpectrumValueText(s.lmic[2], 6))
                    << tr("Плотность воздуха, кг/м³: %1").arg(SpectrumValueText(s.plotnost, 6))
                    << tr("Скорость звука, м/с: %1").arg(SpectrumValueText(s.skorost, 6))
                    << (s.impuls == 1 ? tr("Сигнал: периодический") : tr("Сигнал: импульсный"));
    const QString error = WritePowerReportPdf(fileName, input);
    if (!error.isEmpty()) {
        ShowPlainMessage(tr("Не удалось записать отчёт %1: %2")
                             .arg(QDir::toNativeSeparators(fileName), error)
                             .toStdString());
        return false;
    }
    ShowWritten(this, fileName);
    return true;
}

bool TPower::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == chart_ && event->type() == QEvent::Resize && hasPower()) {
        LabelPowerBands(*chart_, table_);
        chart_->replot(QCustomPlot::rpQueuedReplot);
    }
    return QDialog::eventFilter(watched, event);
}

void TPower::done(int result)
{
    if (running_) {
        // The work stops at its next point; the window closes once it has.
        cancel_ = true;
        closePending_ = true;
        pendingResult_ = result;
        return;
    }
    if (!MayDiscardEdits())
        return;
    QDialog::done(result);
}
