// The settings dialog: acquisition and physical constants, the six microphone sensitivities
// and the playback frame settings, with import and export of the same values as INI files
// (section "Ust"). It changes the settings record only when "Сохранить" accepts the input,
// and refuses constants outside the ranges of SettingLimits.h as it refuses a number that
// does not convert; the main window writes the record to the store after the dialog has closed.
#pragma once

#include <QDialog>
#include <QString>

class QFileDialog;
namespace Ui {
class TUst;
}

class TUst : public QDialog {
    Q_OBJECT
public:
    explicit TUst(QWidget* owner);
    ~TUst() override;

    // The INI import and export behind "Загрузить из файла" and "Сохранить в файл", without
    // the file dialogs. A file that cannot be read or written is reported to the user and
    // leaves the controls (or the file) as they were; the result says whether it worked.
    // An import refuses each constant the file holds out of its range (its control keeps what
    // it showed, one message names the keys) and loads the rest.
    bool LoadFromIni(const QString& fileName);
    bool SaveToIni(const QString& fileName);

    // Sensitivity cell of grid row r (1 ... 6, row 0 is the header).
    QString sensitivityText(int row) const;

private slots:
    void Button1Click();
    void Button2Click();
    void Button3Click();

private:
    void FormCreate();
    void setupGrid();
    void setSensitivityText(int row, const QString& text);

    Ui::TUst* ui;
    QFileDialog* OD;
    QFileDialog* SD;
};
