// The channel-order dialog: for each of the six recording slots, the logical channel that
// receives it. It stores the map into the settings record only when it is a permutation;
// the main window writes the map to the store after the dialog has closed.
#pragma once

#include <QDialog>

#include <array>

class QSpinBox;
namespace Ui {
class TChans;
}

class TChans : public QDialog {
    Q_OBJECT
public:
    explicit TChans(QWidget* owner);
    ~TChans() override;

private slots:
    void Button1Click();

private:
    void FormCreate();

    Ui::TChans* ui;
    std::array<QSpinBox*, 6> spins_{};   // slot 1 first
};
