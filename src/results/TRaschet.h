// The intensity-vector window: the active and reactive intensity vectors of one band result
// as three 2-D projections each (X-Y, X-Z, Y-Z), with their components written out. It opens
// the calculation table and the 3-D view of either vector from the same result. While one of
// them is open, a close of this window waits until it has been closed.
#pragma once

#include "CommandScope.h"
#include "ResultVectors.h"

#include <QDialog>
#include <QString>

#include <array>

class QCPCurve;
class QCustomPlot;
namespace Ui {
class TRaschet;
}

class TRaschet : public QDialog {
    Q_OBJECT
public:
    // Draws the result at once and shows result.bandText in Label5.
    TRaschet(QWidget* owner, const IntensityResult& result);
    ~TRaschet() override;

    // The band text, should the creator set it after construction.
    void setBandText(const QString& text);
    // The sentence on the probe's limits (result.limitWarning at construction) in a notice
    // line under the band text, hidden when empty; the table shows and exports it too.
    void setLimitWarning(const QString& text);
    QString limitWarning() const;
    // Draws the result (axes, projections, labels); drawing again gives the same picture.
    void DrawResult();

    const IntensityResult& result() const { return result_; }

    void done(int result) override;

private slots:
    void Button3Click();
    void Button4Click();
    void Button5Click();

private:
    void FormCreate();
    void openView(int kind, double scale);

    Ui::TRaschet* ui;
    IntensityResult result_;
    // Series1, Series2, Series3, LineSeries1, LineSeries3, LineSeries5, and their charts.
    std::array<QCPCurve*, 6> series_{};
    std::array<QCustomPlot*, 6> charts_{};
    PendingClose pendingClose_;
};
