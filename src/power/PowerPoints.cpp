#include "PowerPoints.h"

#include "IntensityText.h"
#include "MessageBox.h"
#include "PowerText.h"
#include "ResultText.h"
#include "SurveyFile.h"
#include "WrittenNote.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <optional>
#include <utility>

namespace {

constexpr qint64 kSurveyLimitBytes = 16 << 20;
const QColor kFailedRow(255, 205, 200);

QString recordFilter()
{
    return QCoreApplication::translate("TPower",
                                       "Все записи (*.kvnb *.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff);;"
                                       "Сегменты (*.kvnb);;"
                                       "Звуковые файлы (*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff)");
}

QString surveyFilter()
{
    return QCoreApplication::translate("TPower",
                                       "Обзор (*.csv *.json);;CSV файл (*.csv);;JSON файл (*.json)");
}

// A normal as typed: a face ("+x", "top", ...) or three numbers not all zero, made unit length
// as a survey file's normal is.
std::optional<std::array<double, 3>> typedNormal(const QString& text)
{
    const QStringList parts =
        QString(text).trimmed().split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    if (parts.size() == 1)
        return SurveyFaceNormal(parts[0].toStdString());
    if (parts.size() != 3)
        return std::nullopt;
    std::array<double, 3> normal{};
    double length = 0.0;
    for (size_t k = 0; k < 3; ++k) {
        const std::optional<double> v = TypedNumber(parts[static_cast<int>(k)]);
        if (!v)
            return std::nullopt;
        normal[k] = *v;
        length += *v * *v;
    }
    length = std::sqrt(length);
    if (!(length > 0))
        return std::nullopt;
    for (double& v : normal)
        v /= length;
    return normal;
}

}   // namespace

std::optional<double> TypedNumber(const QString& text)
{
    bool ok = false;
    const double v = QString(text).trimmed().replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

QString PowerCsvFilter()
{
    return QCoreApplication::translate("TPower", "CSV файл (*.csv)");
}

QPushButton* PowerButton(QWidget* parent, const char* name, const QString& text)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QString PowerPointList::FailedState(const QString& reason)
{
    return tr("ошибка: %1").arg(reason);
}

PowerPointList::PowerPointList(QWidget* parent, std::function<void(const QString&)> changed,
                               std::function<void()> buttons, std::function<void(const QString&)> sourceRead)
    : QGroupBox(tr("Точки обзора"), parent), changed_(std::move(changed)), buttons_(std::move(buttons)),
      sourceRead_(std::move(sourceRead))
{
    auto* pointsLayout = new QVBoxLayout(this);
    auto* pointButtons = new QHBoxLayout;
    QPushButton* add = PowerButton(this, "ButtonAdd", tr("Добавить файлы…"));
    remove_ = PowerButton(this, "ButtonRemove", tr("Удалить"));
    up_ = PowerButton(this, "ButtonUp", tr("Выше"));
    down_ = PowerButton(this, "ButtonDown", tr("Ниже"));
    QPushButton* open = PowerButton(this, "ButtonOpenSurvey", tr("Открыть обзор…"));
    QPushButton* save = PowerButton(this, "ButtonSaveSurvey", tr("Сохранить обзор…"));
    for (QPushButton* b : {add, remove_, up_, down_})
        pointButtons->addWidget(b);
    pointButtons->addStretch();
    pointButtons->addWidget(open);
    pointButtons->addWidget(save);
    pointsLayout->addLayout(pointButtons);
    table_ = new QTableWidget(0, kPointColumns, this);
    table_->setObjectName(QStringLiteral("TablePoints"));
    table_->setHorizontalHeaderLabels({QStringLiteral("№"), tr("Метка"), tr("Файл"), tr("Площадь, м²"),
                                       tr("Нормаль (грань или nx ny nz)"), tr("Состояние")});
    table_->verticalHeader()->setVisible(false);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setToolTip(tr("Метку, площадь и нормаль можно изменить двойным щелчком. Нормаль — "
                          "грань (+x, -x, +y, -y, +z, -z, top, front, back, left, right) "
                          "или три числа через пробел."));
    pointsLayout->addWidget(table_);

    connect(add, &QPushButton::clicked, this, [this] {
        const QStringList files =
            AskFiles(false, tr("Добавить точки"), recordFilter(), QString(), FolderKind::Recordings);
        if (!files.isEmpty())
            AddFiles(files);
    });
    connect(remove_, &QPushButton::clicked, this, [this] { RemovePoint(table_->currentRow()); });
    connect(up_, &QPushButton::clicked, this, [this] { MovePoint(table_->currentRow(), -1); });
    connect(down_, &QPushButton::clicked, this, [this] { MovePoint(table_->currentRow(), 1); });
    connect(open, &QPushButton::clicked, this, [this] {
        if (!MayDiscardEdits())
            return;
        const QStringList files =
            AskFiles(false, tr("Открыть обзор"), surveyFilter(), QString(), FolderKind::Surveys);
        if (!files.isEmpty()) {
            modified_ = false;   // already asked
            OpenSurvey(files.constFirst());
        }
    });
    connect(save, &QPushButton::clicked, this, [this] {
        const QStringList files = AskFiles(true, tr("Сохранить обзор"), PowerCsvFilter(),
                                           QStringLiteral("csv"), FolderKind::Surveys);
        if (!files.isEmpty())
            SaveSurvey(files.constFirst());
    });
    connect(table_, &QTableWidget::itemChanged, this, &PowerPointList::PointEdited);
    connect(table_, &QTableWidget::itemSelectionChanged, this, [this] { buttons_(); });
}

QStringList PowerPointList::AskFiles(bool save, const QString& title, const QString& filter,
                                     const QString& suffix, FolderKind kind)
{
    QFileDialog dialog(window(), title,
                       surveyPath_.isEmpty() ? QString() : QFileInfo(surveyPath_).absolutePath(), filter);
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

QString PowerPointList::state(int row) const
{
    return row >= 0 && row < static_cast<int>(states_.size()) ? states_[static_cast<size_t>(row)] : QString();
}

void PowerPointList::SetStates(std::vector<QString> states)
{
    states_ = std::move(states);
    FillPoints();
}

void PowerPointList::FillPoints()
{
    const QSignalBlocker block(table_);
    const int current = table_->currentRow();
    const QString failedPrefix = FailedState(QString());
    table_->setRowCount(static_cast<int>(points_.size()));
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
            table_->setItem(row, c, item);
        }
    }
    table_->resizeColumnsToContents();
    if (table_->columnWidth(kColFile) > 320)
        table_->setColumnWidth(kColFile, 320);
    if (current >= 0 && current < table_->rowCount())
        table_->selectRow(current);
    buttons_();
}

void PowerPointList::UpdateButtons()
{
    const int row = table_->currentRow();
    const int n = static_cast<int>(points_.size());
    const bool selected = row >= 0 && row < n && !table_->selectedItems().isEmpty();
    remove_->setEnabled(selected);
    up_->setEnabled(selected && row > 0);
    down_->setEnabled(selected && row + 1 < n);
}

void PowerPointList::AddFiles(const QStringList& files)
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
        changed_(QString());
    }
    FillPoints();
}

void PowerPointList::RemovePoint(int row)
{
    if (row < 0 || row >= static_cast<int>(points_.size()))
        return;
    points_.erase(points_.begin() + row);
    states_.erase(states_.begin() + row);
    modified_ = true;
    changed_(QString());
    FillPoints();
}

void PowerPointList::MovePoint(int row, int by)
{
    const int to = row + by;
    const int n = static_cast<int>(points_.size());
    if (row < 0 || row >= n || to < 0 || to >= n)
        return;
    std::swap(points_[row], points_[to]);
    std::swap(states_[row], states_[to]);
    modified_ = true;
    FillPoints();
    table_->selectRow(to);
}

void PowerPointList::PointEdited(QTableWidgetItem* item)
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
        if (const std::optional<double> area = TypedNumber(text); area && *area > 0)
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
        const QString column = table_->horizontalHeaderItem(item->column())->text();
        ShowMessageBox("Ошибка",
                       tr("Точка %1, столбец «%2»: %3. Значение не изменено.")
                           .arg(row + 1)
                           .arg(column, refusal)
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
    } else {
        modified_ = true;
        changed_(QString());
    }
    // Shows the value held, so a refused text never stays in the cell. The item is changed in
    // place: it is the one whose change is being reported.
    const QSignalBlocker block(table_);
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

bool PowerPointList::MayDiscardEdits()
{
    if (!modified_ || points_.empty())
        return true;
    return ShowMessageBox("Внимание!",
                          tr("Изменения обзора не сохранены. Продолжить без сохранения?").toStdString(),
                          MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool PowerPointList::OpenSurvey(const QString& fileName)
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
        sourceRead_(QString::fromStdString(source));
    states_.assign(points_.size(), QString());
    surveyPath_ = QFileInfo(fileName).absoluteFilePath();
    modified_ = false;
    changed_(tr("Обзор %1: точек %2.").arg(shown).arg(points_.size()));
    FillPoints();
    return true;
}

bool PowerPointList::SaveSurvey(const QString& fileName)
{
    if (points_.empty()) {
        ShowMessageBox("Внимание!", tr("В обзоре нет ни одной точки.").toStdString(), MB_OK | MB_ICONWARNING);
        return false;
    }
    // Saving over the survey the points came from needs no question.
    if (QFileInfo(fileName).absoluteFilePath() != surveyPath_ && !MayReplaceFile(fileName))
        return false;
    const QString text = SurveyCsvText(points_, QFileInfo(fileName).absoluteDir());
    if (!WriteFileNoted(this, fileName, text.toUtf8()))
        return false;
    surveyPath_ = QFileInfo(fileName).absoluteFilePath();
    modified_ = false;
    return true;
}
