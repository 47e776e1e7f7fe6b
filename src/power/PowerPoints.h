// The survey window's point list ("Точки обзора"): the probe positions, each with its recording,
// area and outward normal, edited in place, read from and written to a survey file.
#pragma once

#include "RecentFolders.h"
#include "SoundPower.h"

#include <QCoreApplication>
#include <QGroupBox>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// A number as a user types it, with a dot or a comma; none unless finite.
std::optional<double> TypedNumber(const QString& text);
// The file dialogs' filter of CSV files.
QString PowerCsvFilter();
// A button of the survey window, named for its tests, that Enter never presses.
QPushButton* PowerButton(QWidget* parent, const char* name, const QString& text);

// The columns of the point list.
struct SurveyPointColumns {
    enum PointColumn : int {
        kColNumber,
        kColLabel,
        kColFile,
        kColArea,
        kColNormal,
        kColState,
        kPointColumns
    };
};

class PowerPointList : public QGroupBox, public SurveyPointColumns {
    Q_DECLARE_TR_FUNCTIONS(PowerPointList)

public:
    // `changed` hears every change that makes a computed power stale, with the status line to
    // show (empty: keep it); `buttons` when the buttons may need enabling anew; `sourceRead` the
    // source a survey file names.
    PowerPointList(QWidget* parent, std::function<void(const QString&)> changed,
                   std::function<void()> buttons, std::function<void(const QString&)> sourceRead);

    const std::vector<SurveyPoint>& points() const { return points_; }
    bool isModified() const { return modified_; }
    QString surveyPath() const { return surveyPath_; }
    QTableWidget* table() const { return table_; }

    void AddFiles(const QStringList& files);
    void RemovePoint(int row);
    void MovePoint(int row, int by);
    bool OpenSurvey(const QString& fileName);
    bool SaveSurvey(const QString& fileName);
    // Asks before edits not written to a survey are lost; true when they may be.
    bool MayDiscardEdits();

    QString state(int row) const;
    // Each point's state after a calculation (empty, "прочитана" or "ошибка: ...").
    void SetStates(std::vector<QString> states);
    // "ошибка: <reason>": a point's state after a failed reading; the list marks the row by its start.
    static QString FailedState(const QString& reason);

    // A file dialog starting in the survey's folder, or where this kind of file was last.
    QStringList AskFiles(bool save, const QString& title, const QString& filter, const QString& suffix,
                         FolderKind kind);
    void UpdateButtons();
    // The table anew from the points and their states.
    void FillPoints();

private:
    void PointEdited(QTableWidgetItem* item);

    std::function<void(const QString&)> changed_;
    std::function<void()> buttons_;
    std::function<void(const QString&)> sourceRead_;
    std::vector<SurveyPoint> points_;
    std::vector<QString> states_;
    QString surveyPath_;
    bool modified_ = false;

    QTableWidget* table_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* up_ = nullptr;
    QPushButton* down_ = nullptr;
};
