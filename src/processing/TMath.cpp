#include "TMath.h"
#include "ui_TMath.h"

#include <QCheckBox>
#include <QPushButton>
#include <QScreen>

#include <algorithm>

LenientSpinBox::LenientSpinBox(QWidget* parent) : QSpinBox(parent) {}

QValidator::State LenientSpinBox::validate(QString& /*input*/, int& /*pos*/) const
{
    // Every text is acceptable because every text has a value (see valueFromText).
    return QValidator::Acceptable;
}

int LenientSpinBox::valueFromText(const QString& text) const
{
    QString digits = text;
    if (!prefix().isEmpty() && digits.startsWith(prefix()))
        digits.remove(0, prefix().size());
    if (!suffix().isEmpty() && digits.endsWith(suffix()))
        digits.chop(suffix().size());
    digits = digits.trimmed();
    // Read as a 64-bit number so that a long run of digits still clamps to the maximum.
    bool ok = false;
    qlonglong value = locale().toLongLong(digits, &ok);
    if (!ok)
        value = digits.toLongLong(&ok);
    if (!ok)
        return minimum();
    return int(std::clamp<qlonglong>(value, minimum(), maximum()));
}

TMath::TMath(QWidget* owner) : QDialog(owner), ui(new Ui::TMath)
{
    ui->setupUi(this);
    channels_ = {ui->CheckBox1, ui->CheckBox2, ui->CheckBox3, ui->CheckBox4, ui->CheckBox5, ui->CheckBox6};
    connect(ui->Button1, &QPushButton::clicked, this, &TMath::Button1Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TMath::Button4Click);
    connect(ui->Button2, &QPushButton::clicked, this, [this]() { done(kResultYes); });
    connect(ui->Button3, &QPushButton::clicked, this, [this]() { done(kResultNo); });

    setFixedSize(sizeHint());
    // Centred on the screen rather than over the owner; having moved it keeps QDialog from
    // placing it over the owner when it is shown.
    if (const QScreen* display = screen())
        move(display->availableGeometry().center() - rect().center());
}

TMath::~TMath()
{
    delete ui;
}

void TMath::Button1Click()
{
    for (QCheckBox* box : channels_)
        box->setChecked(true);
}

void TMath::Button4Click()
{
    for (QCheckBox* box : channels_)
        box->setChecked(false);
}
