#include "TPower.h"

#include "ChartImage.h"
#include "IntensityText.h"
#include "MessageBox.h"
#include "PowerCalculation.h"
#include "PowerCharts.h"
#include "PowerExport.h"
#include "PowerText.h"
#include "ResultText.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <qcustomplot.h>

#include <QButtonGroup>
#include <QCoreApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>
#include <utility>

namespace {

const QColor& gradeColor(SurveyGrade grade)
{
    static const QColor colors[] = {QColor(250, 200, 195), QColor(200, 235, 205), QColor(205, 220, 245),
                                    QColor(250, 232, 190)};
    return colors[static_cast<int>(grade)];
}

}   // namespace

TPower::TPower(QWidget* owner) : QDialog(owner)
{
    setObjectName(QStringLiteral("TPower"));
    setWindowTitle(tr("Мощность по точкам"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    resize(1200, 820);

    auto* layout = new QVBoxLayout(this);

    points_ = new PowerPointList(
        this, [this](const QString& status) { ClearPower(status); }, [this] { UpdateButtons(); },
        [this](const QString& source) { source_->setText(source); });

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
    calculate_ = PowerButton(this, "ButtonCalculate", tr("Рассчитать"));
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
    splitter->addWidget(points_);
    splitter->addWidget(chart_);
    splitter->addWidget(powerPart);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 2);
    splitter->setStretchFactor(2, 3);
    splitter->setSizes({220, 240, 300});

    auto* bottom = new QHBoxLayout;
    pdf_ = PowerButton(this, "ButtonPdf", tr("Отчёт PDF…"));
    csv_ = PowerButton(this, "ButtonCsv", tr("Записать CSV…"));
    QPushButton* closeButton = PowerButton(this, "ButtonClose", tr("Закрыть"));
    bottom->addWidget(pdf_);
    bottom->addWidget(csv_);
    bottom->addStretch();
    bottom->addWidget(closeButton);

    layout->addWidget(splitter, 1);
    layout->addLayout(options);
    layout->addWidget(status_);
    layout->addLayout(bottom);

    connect(calculate_, &QPushButton::clicked, this, &TPower::Calculate);
    connect(octave_, &QRadioButton::toggled, this, [this] { ClearPower(QString()); });
    connect(residual_, &QLineEdit::textEdited, this, [this] { ClearPower(QString()); });
    connect(grade_, &QComboBox::currentIndexChanged, this, [this] { UpdateShortfall(); });
    connect(csv_, &QPushButton::clicked, this, [this] {
        const QStringList files = points_->AskFiles(true, tr("Записать CSV"), PowerCsvFilter(),
                                                    QStringLiteral("csv"), FolderKind::Csv);
        if (!files.isEmpty())
            SaveCsv(files.constFirst());
    });
    connect(pdf_, &QPushButton::clicked, this, [this] {
        const QStringList files = points_->AskFiles(true, tr("Отчёт PDF"), tr("PDF файл (*.pdf)"),
                                                    QStringLiteral("pdf"), FolderKind::Images);
        if (!files.isEmpty())
            SaveReport(files.constFirst());
    });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);

    ClearPower(tr("Добавьте файлы точек или откройте обзор, затем нажмите «Рассчитать»."));
    points_->FillPoints();
}

TPower::~TPower() = default;

void TPower::UpdateButtons()
{
    points_->UpdateButtons();
    calculate_->setEnabled(!points().empty());
    csv_->setEnabled(hasPower());
    pdf_->setEnabled(hasPower());
}

void TPower::AddFiles(const QStringList& files)
{
    points_->AddFiles(files);
}

void TPower::RemovePoint(int row)
{
    points_->RemovePoint(row);
}

void TPower::MovePoint(int row, int by)
{
    points_->MovePoint(row, by);
}

bool TPower::OpenSurvey(const QString& fileName)
{
    return points_->OpenSurvey(fileName);
}

bool TPower::SaveSurvey(const QString& fileName)
{
    return points_->SaveSurvey(fileName);
}

std::optional<double> TPower::residualIndex(bool& bad) const
{
    bad = false;
    const QString text = residual_->text().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    const std::optional<double> db = TypedNumber(text);
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
    if (points().empty()) {
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
    plan.options.periodic = settings.impuls == Settings::kImpulsPeriodic;
    plan.options.density = settings.plotnost;
    plan.options.soundSpeed = settings.skorost;
    plan.options.spacings = settings.lmic;
    plan.options.residualIndexDb = residual;

    const size_t n = points().size();
    running_ = true;
    cancel_ = false;
    PointAnalyses run;
    try {
        run = PowerCalculation::Run(this, points(), settings, plan, cancel_,
                                    [this](const QString& progress) { status_->setText(progress); });
    } catch (const std::exception& e) {
        running_ = false;
        ClearPower(tr("Расчёт не выполнен: %1").arg(QString::fromUtf8(e.what())));
        return;
    }
    running_ = false;
    const std::vector<QString>& errors = run.errors;

    if (run.outcome == WorkOutcome::Cancelled || cancel_.load()) {
        points_->SetStates(std::vector<QString>(n));
        ClearPower(tr("Расчёт прерван: мощность не рассчитана."));
        if (closePending_) {
            closePending_ = false;
            done(pendingResult_);
        }
        return;
    }

    QStringList failed;
    std::vector<QString> states(n);
    for (size_t i = 0; i < n; ++i) {
        states[i] = errors[i].isEmpty() ? tr("прочитана") : PowerPointList::FailedState(errors[i]);
        if (!errors[i].isEmpty())
            failed << tr("точка %1: %2").arg(PowerCalculation::PointName(points()[i], i), errors[i]);
    }
    points_->SetStates(std::move(states));
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
    table_ = ComputeSurveyPower(points(), run.analyses, residual);
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
    return points_->state(row);
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
    return hasPower() && PowerExport::SaveCsv(this, fileName, table_, tableResidual_);
}

bool TPower::SaveReport(const QString& fileName)
{
    if (!hasPower())
        return false;
    PowerReportInput input;
    input.source = source_->text().trimmed();
    input.surveyPath = surveyPath();
    input.points = points();
    input.table = table_;
    input.residualIndexDb = tableResidual_;
    input.grade = grade_->currentIndex() + 1;
    return PowerExport::SaveReport(this, fileName, std::move(input));
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
    if (!points_->MayDiscardEdits())
        return;
    QDialog::done(result);
}
