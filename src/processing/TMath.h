// The filter options dialog: which channels the processing window filters, and the band-pass
// filter's type, order and band edges. It keeps nothing between uses: the filtering command
// fills it, shows it modally and reads it back unless the user chose "Отмена".
#pragma once

#include <QDialog>
#include <QSpinBox>

#include <array>

class QCheckBox;
namespace Ui {
class TMath;
}

// An integer spin edit that takes whatever is typed: a number outside the range is clamped to
// it and text that is not an integer reads as the minimum, instead of the keystroke being
// refused as QSpinBox does.
class LenientSpinBox : public QSpinBox {
    Q_OBJECT
public:
    explicit LenientSpinBox(QWidget* parent = nullptr);

protected:
    QValidator::State validate(QString& input, int& pos) const override;
    int valueFromText(const QString& text) const override;
};

class TMath : public QDialog {
    Q_OBJECT
public:
    // The modal results of "Применить" and "Отмена". Closing with the close box gives
    // QDialog::Rejected (0), which the caller treats as apply: only kResultNo cancels.
    enum Result { kResultYes = 6, kResultNo = 7 };

    explicit TMath(QWidget* owner);
    ~TMath() override;

    // Channel boxes in channel order (CheckBox1 = channel 1 ... CheckBox6 = channel 6).
    const std::array<QCheckBox*, 6>& channelBoxes() const { return channels_; }
    // ComboBox2 (type), CSpinEdit1 (order 0..6), CSpinEdit2 (Fmin 0..100000, Hz),
    // CSpinEdit3 (Fmax 0..100000, Hz).
    Ui::TMath* form() { return ui; }

    void Button1Click();   // "Выделить все"
    void Button4Click();   // "Снять все"

private:
    Ui::TMath* ui;
    std::array<QCheckBox*, 6> channels_{};
};
