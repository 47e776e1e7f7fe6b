#include "TBands.h"
#include "ui_TBands.h"

#include "BandCharts.h"
#include "ChartImage.h"
#include "IntensityText.h"
#include "KeyHints.h"
#include "Language.h"
#include "MessageBox.h"
#include "OctaveBandText.h"
#include "RecentFolders.h"
#include "ResultText.h"
#include "WrittenNote.h"

#include <qcustomplot.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>

#include <utility>

namespace {

constexpr int kCsvProgramForm = 0;   // items of ComboCsvForm
constexpr int kCsvPlainForm = 1;
constexpr int kCautionColumnWidth = 320;

const QColor kDoubtfulRow(255, 226, 190);

// Holds a close back while a command waits for the user, and carries it out at the end.
class Command {
public:
    Command(int& depth, bool& pending, int& result, QDialog& dialog)
        : depth_(depth), pending_(pending), result_(result), dialog_(&dialog)
    {
        ++depth_;
    }
    ~Command()
    {
        if (--depth_ == 0 && pending_ && dialog_) {
            pending_ = false;
            dialog_->done(result_);
        }
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

private:
    int& depth_;
    bool& pending_;
    int& result_;
    QPointer<QDialog> dialog_;
};

// "100, 125 … 400, 1000" of the bands at positions `which`: runs of neighbours as first … last.
QString bandRuns(const BandAnalysis& a, const std::vector<int>& which)
{
    QStringList parts;
    for (size_t i = 0; i < which.size();) {
        size_t j = i;
        while (j + 1 < which.size() && which[j + 1] == which[j] + 1)
            ++j;
        const QString first = SpectrumValueText(a.bands[which[i]].nominalHz, 6);
        const QString last = SpectrumValueText(a.bands[which[j]].nominalHz, 6);
        parts << (j == i       ? first
                  : j == i + 1 ? first + QStringLiteral(", ") + last
                               : first + QStringLiteral(" … ") + last);
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

}   // namespace

TBands::TBands(QWidget* owner, BandWindowInput input)
    : QDialog(owner), ui(new Ui::TBands), input_(std::move(input))
{
    ui->setupUi(this);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    SD = new QFileDialog(this, QString(), QString(), tr("CSV файл (*.csv)"));
    SD->setObjectName(QStringLiteral("SD"));
    SD->setAcceptMode(QFileDialog::AcceptSave);
    SD->setFileMode(QFileDialog::AnyFile);
    SD->setDefaultSuffix(QStringLiteral("csv"));
    // The window asks its own question before it replaces a file.
    SD->setOption(QFileDialog::DontConfirmOverwrite, true);

    ui->TableBands->verticalHeader()->setVisible(false);
    ui->TableBands->horizontalHeader()->setHighlightSections(false);
    // The level chart first, the small direction chart beside it, the table below; each part
    // keeps its share as the window grows.
    ui->Splitter->setStretchFactor(0, 3);
    ui->Splitter->setStretchFactor(1, 2);
    ui->Splitter->setSizes({480, 320});
    ui->ChartSplitter->setStretchFactor(0, 5);
    ui->ChartSplitter->setStretchFactor(1, 2);
    ui->ChartSplitter->setSizes({900, 360});
    PlaceLegendAbove(*ui->ChartLevels);
    PlaceLegendAbove(*ui->ChartDirection);
    for (QCustomPlot* plot : {ui->ChartLevels, ui->ChartDirection})
        new ChartImageMenu(plot);
    // The band names are laid out again whenever a chart's width changes.
    ui->ChartLevels->installEventFilter(this);
    ui->ChartDirection->installEventFilter(this);

    // Files for other programs in the English interface; the program's own form in the Russian one.
    if (CurrentLanguage() == UiLanguage::English)
        ui->ComboCsvForm->setCurrentIndex(kCsvPlainForm);
    connect(ui->RadioThird, &QRadioButton::toggled, this, [this] { Recompute(); });
    connect(ui->CheckCorrection, &QCheckBox::toggled, this, [this] { Recompute(); });
    connect(ui->CheckTotalA, &QCheckBox::toggled, this, [this] { FillTable(); });
    connect(ui->ButtonCsv, &QPushButton::clicked, this, &TBands::ButtonCsvClick);
    SetButtonShortcut(ui->ButtonCsv, QKeySequence::Save);
    connect(ui->ButtonClose, &QPushButton::clicked, this, &QDialog::accept);
    Recompute();
}

TBands::~TBands()
{
    delete ui;
}

BandAnalysisOptions TBands::optionsNow() const
{
    BandAnalysisOptions o;
    o.fraction = ui->RadioOctave->isChecked() ? 1 : 3;
    o.periodic = input_.periodic;
    o.windowEnbw = input_.periodic ? WindowItemEnbw(input_.windowItem, input_.sampleCount) : 1.0;
    o.density = input_.density;
    o.soundSpeed = input_.soundSpeed;
    o.spacings = input_.spacings;
    o.range = input_.range;
    o.correctFiniteDifference = ui->CheckCorrection->isChecked();
    return o;
}

QString TBands::noBandsText() const
{
    const QString text =
        ui->RadioOctave->isChecked()
            ? tr("В диапазоне %1 … %2 Гц нет ни одной октавной полосы, которая целиком лежала бы в спектре. "
                 "Расширьте диапазон частот на графике окна обработки и откройте это окно снова.")
            : tr("В диапазоне %1 … %2 Гц нет ни одной третьоктавной полосы, которая целиком лежала бы в "
                 "спектре. Расширьте диапазон частот на графике окна обработки и откройте это окно снова.");
    return text.arg(SpectrumValueText(input_.range.lo, 6), SpectrumValueText(input_.range.hi, 6));
}

void TBands::Recompute()
{
    analysis_ =
        input_.spectra.bins() >= 2 ? AnalyseOctaveBands(input_.spectra.view(), optionsNow()) : BandAnalysis{};
    ui->LabelRange->setText(
        tr("Диапазон: %1 … %2 Гц; полос: %3")
            .arg(SpectrumValueText(input_.range.lo, 6), SpectrumValueText(input_.range.hi, 6))
            .arg(analysis_.bands.size()));
    ui->ButtonCsv->setEnabled(hasBands());
    ui->ComboCsvForm->setEnabled(hasBands());
    if (!hasBands()) {
        ui->LabelEmpty->setText(noBandsText());
        ui->Pages->setCurrentWidget(ui->PageEmpty);
        return;
    }
    ui->Pages->setCurrentWidget(ui->PageBands);
    FillTable();
    FillCaution();
    DrawCharts();
}

void TBands::FillTable()
{
    QTableWidget* table = ui->TableBands;
    const bool withA = ui->CheckTotalA->isChecked();
    const int bands = static_cast<int>(analysis_.bands.size());
    table->clear();
    table->setColumnCount(kBandColumnCount);
    table->setRowCount(hasBands() ? bands + (withA ? 2 : 1) : 0);
    table->setHorizontalHeaderLabels(BandTableHeaders(BandTextForm::Window));
    if (!hasBands())
        return;
    QFont bold = table->font();
    bold.setBold(true);
    const auto fillRow = [&](int row, const QStringList& cells, const QColor& background, bool total) {
        for (int c = 0; c < kBandColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(c >= kBandColValid ? Qt::AlignLeft | Qt::AlignVCenter
                                                      : Qt::AlignRight | Qt::AlignVCenter);
            if (background.isValid())
                item->setBackground(background);
            if (total)
                item->setFont(bold);
            if (c == kBandColCaution || c == kBandColValid)
                item->setToolTip(cells[kBandColCaution]);
            table->setItem(row, c, item);
        }
    };
    for (int b = 0; b < bands; ++b) {
        const OctaveBand& band = analysis_.bands[b];
        fillRow(b, BandRowCells(band, BandTextForm::Window), band.cautions ? kDoubtfulRow : QColor(), false);
    }
    fillRow(bands, BandTotalCells(analysis_.total, false, BandTextForm::Window), palette().button().color(),
            true);
    if (withA)
        fillRow(bands + 1, BandTotalCells(analysis_.totalA, true, BandTextForm::Window),
                palette().button().color(), true);
    table->resizeColumnsToContents();
    // The reason is long; the whole of it is in the tool tip and under the table.
    if (table->columnWidth(kBandColCaution) > kCautionColumnWidth)
        table->setColumnWidth(kBandColCaution, kCautionColumnWidth);
}

void TBands::FillCaution()
{
    QStringList lines;
    for (unsigned bit : {unsigned(kBandCautionSpacing), unsigned(kBandCautionDynamic)}) {
        std::vector<int> which;
        for (int b = 0; b < static_cast<int>(analysis_.bands.size()); ++b)
            if (analysis_.bands[b].cautions & bit)
                which.push_back(b);
        if (!which.empty())
            lines << tr("Сомнительны полосы %1 Гц: %2")
                         .arg(bandRuns(analysis_, which), QString::fromStdString(BandCautionTextRu(bit)));
    }
    if (lines.isEmpty())
        lines << tr("Все полосы достоверны.");
    // Which pressures the levels stand on, where the reader of the table looks for its limits.
    if (input_.byMicrophoneSensitivities)
        lines << tr("Давление по чувствительностям микрофонов.");
    ui->LabelCaution->setText(lines.join(QLatin1Char('\n')));
}

void TBands::DrawCharts()
{
    DrawLevelChart(*ui->ChartLevels, analysis_);
    DrawDirectionChart(*ui->ChartDirection, analysis_);
    ui->ChartLevels->replot();
    ui->ChartDirection->replot();
}

bool TBands::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && hasBands())
        for (QCustomPlot* plot : {ui->ChartLevels, ui->ChartDirection})
            if (watched == plot) {
                LabelBands(*plot, analysis_);
                plot->replot(QCustomPlot::rpQueuedReplot);
            }
    return QDialog::eventFilter(watched, event);
}

void TBands::ButtonCsvClick()
{
    const Command command(commandDepth_, closePending_, pendingResult_, *this);
    if (!hasBands())
        return;
    StartInRecentFolder(*SD, FolderKind::Csv);
    if (SD->exec() != QDialog::Accepted || SD->selectedFiles().isEmpty())
        return;
    RememberDialogFolder(*SD, FolderKind::Csv);
    SaveCsv(SD->selectedFiles().constFirst());
}

bool TBands::SaveCsv(const QString& fileName)
{
    const Command command(commandDepth_, closePending_, pendingResult_, *this);
    if (!hasBands())
        return false;
    if (!MayReplaceFile(fileName))
        return false;
    const BandTextForm form = ui->ComboCsvForm->currentIndex() == kCsvProgramForm ? BandTextForm::ProgramCsv
                                                                                  : BandTextForm::PlainCsv;
    const QStringList lines = BandCsvLines(analysis_, ui->CheckTotalA->isChecked(), form);
    return WriteFileNoted(this, fileName, EncodeBandCsv(lines, form));
}

void TBands::done(int result)
{
    if (commandDepth_ > 0) {
        closePending_ = true;
        pendingResult_ = result;
        return;
    }
    QDialog::done(result);
}
