// The calculation table: moduli, components and direction angles of the four vectors of one
// band result in a grid, with export of the grid as a CSV file. Its creator fills it. A close
// asked for while the export waits for the user is carried out once the export is done.
#pragma once

#include "CommandScope.h"
#include "ResultText.h"

#include <QDialog>
#include <QString>

class QFileDialog;
namespace Ui {
class TTabl;
}

class TTabl : public QDialog {
    Q_OBJECT
public:
    explicit TTabl(QWidget* owner);
    ~TTabl() override;

    // The title above the grid (the band text of the result).
    void setTitle(const QString& text);
    QString title() const;
    // Every cell, headers included; cells are addressed (column, row).
    void setValues(const TableCells& cells);
    QString cellText(int column, int row) const;
    TableCells cells() const;

    // The sentence on the probe's limits under the grid, hidden when empty; the CSV file
    // carries it as its last line.
    void setLimitWarning(const QString& text);
    QString limitWarning() const;

    // The export behind "Записать в CSV файл", without the file dialog: asks before it replaces
    // an existing file and reports a failed write. Returns true when the file was written.
    bool SaveToCsv(const QString& fileName);

    void done(int result) override;

private slots:
    void Button2Click();

private:
    void FormCreate();
    void setCellText(int column, int row, const QString& text);

    Ui::TTabl* ui;
    QFileDialog* SD;
    PendingClose pendingClose_;
};
