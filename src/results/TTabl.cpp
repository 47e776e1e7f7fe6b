#include "TTabl.h"

#include "ui_TTabl.h"

#include "KeyHints.h"
#include "Language.h"
#include "MessageBox.h"
#include "RecentFolders.h"
#include "ResultWidgets.h"
#include "WrittenNote.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>

namespace {

constexpr int kColumnWidth = 160;
constexpr int kRowHeight = 24;

}   // namespace

TTabl::TTabl(QWidget* owner) : QDialog(owner), ui(new Ui::TTabl)
{
    ui->setupUi(this);
    SD = new QFileDialog(this, QString(), QString(), tr("CSV файл (*.csv)"));
    SD->setObjectName(QStringLiteral("SD"));
    SD->setAcceptMode(QFileDialog::AcceptSave);
    SD->setFileMode(QFileDialog::AnyFile);
    SD->setDefaultSuffix(QStringLiteral("csv"));
    // The window asks its own question before it replaces a file.
    SD->setOption(QFileDialog::DontConfirmOverwrite, true);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Button2, &QPushButton::clicked, this, &TTabl::Button2Click);
    SetButtonShortcut(ui->Button2, QKeySequence::Save);
    FormCreate();
}

TTabl::~TTabl()
{
    delete ui;
}

void TTabl::FormCreate()
{
    QTableWidget* grid = ui->GRID;
    // The header row and column are cells of the grid (they are exported with it), so the
    // view's own headers stay hidden.
    grid->horizontalHeader()->setVisible(false);
    grid->verticalHeader()->setVisible(false);
    grid->horizontalHeader()->setDefaultSectionSize(kColumnWidth);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->verticalHeader()->setMinimumSectionSize(kRowHeight);
    QFont gridFont(QStringLiteral("Tahoma"));
    gridFont.setPixelSize(12);
    grid->setFont(gridFont);
    const int frame = 2 * grid->frameWidth();
    grid->setFixedSize(kTableColumns * kColumnWidth + frame, kTableRows * kRowHeight + frame);
    for (int row = 0; row < kTableRows; ++row)
        for (int column = 0; column < kTableColumns; ++column) {
            auto* item = new QTableWidgetItem;
            if (row == 0 || column == 0) {
                item->setBackground(palette().button());
                item->setFlags(Qt::ItemIsEnabled);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            grid->setItem(row, column, item);
        }
    setValues(TableHeaders());
    ShowLimitWarning(ui->LabelLimit, QString());
    FixSizeToContents(this);
}

void TTabl::setTitle(const QString& text)
{
    ui->Label1->setText(text);
}

QString TTabl::title() const
{
    return ui->Label1->text();
}

void TTabl::setCellText(int column, int row, const QString& text)
{
    ui->GRID->item(row, column)->setText(text);
}

QString TTabl::cellText(int column, int row) const
{
    const QTableWidgetItem* item = ui->GRID->item(row, column);
    return item ? item->text() : QString();
}

void TTabl::setValues(const TableCells& cells)
{
    for (int row = 0; row < kTableRows; ++row)
        for (int column = 0; column < kTableColumns; ++column)
            setCellText(column, row, cells[row][column]);
}

TableCells TTabl::cells() const
{
    TableCells cells;
    for (int row = 0; row < kTableRows; ++row)
        for (int column = 0; column < kTableColumns; ++column)
            cells[row][column] = cellText(column, row);
    return cells;
}

void TTabl::setLimitWarning(const QString& text)
{
    ShowLimitWarning(ui->LabelLimit, text);
    FixSizeToContents(this);
}

QString TTabl::limitWarning() const
{
    return ui->LabelLimit->text();
}

void TTabl::done(int result)
{
    if (pendingClose_.Defer(result))
        return;
    QDialog::done(result);
}

bool TTabl::SaveToCsv(const QString& fileName)
{
    const CommandScope command(this, pendingClose_);
    // The window may have been closed while the question was open.
    if (QFileInfo::exists(fileName) && (!MayReplaceFile(fileName) || !command.windowAlive()))
        return false;
    const CsvForm form = InterfaceCsvForm();
    const QStringList lines = TableCsvLines(title(), cells(), limitWarning(), form);
    return WriteFileNoted(this, fileName, EncodeCsvLines(lines, form));
}

void TTabl::Button2Click()
{
    const CommandScope command(this, pendingClose_);
    StartInRecentFolder(*SD, FolderKind::Csv);
    const bool accepted = SD->exec() == QDialog::Accepted;
    // SD goes with the window, should the window be destroyed while it is open.
    if (!command.windowAlive() || !accepted || SD->selectedFiles().isEmpty())
        return;
    RememberDialogFolder(*SD, FolderKind::Csv);
    SaveToCsv(SD->selectedFiles().constFirst());
}
