// The survey window ("Мощность по точкам"): the probe positions of a surface around a source,
// each with its recording, area and outward normal; the sound power per band computed from
// them in the background, with the field indicators, the grade each band reaches and what to
// change where none; the table as a CSV file (the program's own form in the Russian interface, the
// plain form other programs read in the English one) and the one-page report.
#pragma once

#include "PowerPoints.h"
#include "SoundPower.h"
#include "SurveyAnalysis.h"

#include <QDialog>
#include <QString>
#include <QStringList>

#include <atomic>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QCustomPlot;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

// The point list, the calculation and the export live in PowerPoints, PowerCalculation and
// PowerExport; the window lays them out and shows the power.
class TPower : public QDialog, public SurveyPointColumns {
    Q_OBJECT
public:
    explicit TPower(QWidget* owner);
    ~TPower() override;

    // The points as the window holds them, every file with its full path.
    const std::vector<SurveyPoint>& points() const { return points_->points(); }
    bool isModified() const { return points_->isModified(); }
    QString surveyPath() const { return points_->surveyPath(); }

    // "Добавить файлы…" without the dialog: a point per file, 1 m² on the +x face.
    void AddFiles(const QStringList& files);
    void RemovePoint(int row);
    void MovePoint(int row, int by);
    // Reads a survey file in place of the points (asking first when edits would be lost); false
    // when nothing was read.
    bool OpenSurvey(const QString& fileName);
    // Writes the points as a survey file; false when nothing was written.
    bool SaveSurvey(const QString& fileName);

    // "Рассчитать": every point analysed in the background, then the power table. A point that
    // fails is named and no power is shown.
    void Calculate();
    bool hasPower() const { return !table_.rows.empty(); }
    const SurveyPowerTable& table() const { return table_; }
    QString pointState(int row) const;
    QString statusText() const;

    // "Записать CSV…" and "Отчёт PDF…" without the dialogs; false when nothing was written.
    bool SaveCsv(const QString& fileName);
    bool SaveReport(const QString& fileName);

    QTableWidget* pointTable() const { return points_->table(); }
    QTableWidget* powerTable() const { return powerTable_; }
    QCustomPlot* chart() const { return chart_; }
    // The source's name as the report will print it.
    QString sourceText() const;
    QRadioButton* octaveSwitch() const { return octave_; }
    QLineEdit* residualField() const { return residual_; }
    QComboBox* gradeBox() const { return grade_; }

    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearPower(const QString& status);
    void ShowPower();
    void UpdateShortfall();
    void UpdateButtons();
    std::optional<double> residualIndex(bool& bad) const;

    SurveyPowerTable table_;
    std::optional<double> tableResidual_;

    bool running_ = false;
    std::atomic<bool> cancel_{false};
    bool closePending_ = false;
    int pendingResult_ = QDialog::Rejected;

    PowerPointList* points_ = nullptr;
    QTableWidget* powerTable_ = nullptr;
    QCustomPlot* chart_ = nullptr;
    QRadioButton* octave_ = nullptr;
    QRadioButton* third_ = nullptr;
    QLineEdit* residual_ = nullptr;
    QComboBox* grade_ = nullptr;
    QLineEdit* source_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* summary_ = nullptr;
    QPushButton* calculate_ = nullptr;
    QPushButton* csv_ = nullptr;
    QPushButton* pdf_ = nullptr;
};
