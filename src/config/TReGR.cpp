#include "TReGR.h"
#include "ui_TReGR.h"

#include "ChartColorButton.h"
#include "MessageBox.h"
#include "NumberText.h"
#include "Settings.h"
#include "SettingsStore.h"

#include <QLocale>

#include <cfloat>
#include <cmath>
#include <optional>

namespace {

// A limit as the user typed it (the locale's decimal separator), narrowed to the single
// precision the chart settings are kept in. Empty when the text is no number or the value
// does not fit a single-precision number.
std::optional<float> ParseLimit(const QString& text)
{
    bool ok = false;
    const double value = QLocale().toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value) || std::fabs(value) > FLT_MAX)
        return std::nullopt;
    return static_cast<float>(value);
}

QString LimitText(float value)
{
    return QString::fromStdString(NumberText(static_cast<double>(value), 2));
}

}   // namespace

TReGR::TReGR(QWidget* owner, int channel)
    : QDialog(owner), ui(new Ui::TReGR), channel_(channel < 0 ? 0 : (channel > 5 ? 5 : channel))
{
    ui->setupUi(this);
    setWindowTitle(tr("Канал %1").arg(channel_ + 1));
    setFixedSize(sizeHint().expandedTo(QSize(300, 0)));
    connect(ui->Button1, &QPushButton::clicked, this, &TReGR::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    FormCreate();
}

TReGR::~TReGR()
{
    delete ui;
}

void TReGR::FormCreate()
{
    const Settings& s = CurrentSettings();
    const int k = channel_;
    ui->CheckBox2->setChecked(s.G_Auto[k]);
    ui->Edit2->setText(LimitText(s.G_Max[k]));
    ui->Edit1->setText(LimitText(s.G_Min[k]));
    ui->CheckBox3->setChecked(s.G_Setka[k]);
    ui->ButtonColor1->setColor(ColorFromWord(s.G_Color[k]));
    ui->CSpinEdit1->setValue(s.G_Tol[k]);
    ui->CheckBox1->setChecked(false);
}

void TReGR::Button1Click()
{
    const std::optional<float> minimum = ParseLimit(ui->Edit1->text());
    if (!minimum) {
        ShowMessageBox("ВНИМАНИЕ", tr("Неверно введено число!").toStdString(), MB_OK);
        ui->Edit1->setFocus();
        return;
    }
    const std::optional<float> maximum = ParseLimit(ui->Edit2->text());
    if (!maximum) {
        ShowMessageBox("ВНИМАНИЕ", tr("Неверно введено число!").toStdString(), MB_OK);
        ui->Edit2->setFocus();
        return;
    }
    // Compared as stored: two texts that differ only beyond single precision would give the
    // axis an empty range.
    if (!(*minimum < *maximum)) {
        ShowMessageBox("ВНИМАНИЕ", tr("Максимум должен быть больше минимума!").toStdString(), MB_OK);
        return;
    }

    Settings& s = CurrentSettings();
    const int k = channel_;
    s.G_Auto[k] = ui->CheckBox2->isChecked();
    s.G_Max[k] = *maximum;
    s.G_Min[k] = *minimum;
    s.G_Setka[k] = ui->CheckBox3->isChecked();
    s.G_Color[k] = WordFromColor(ui->ButtonColor1->color());
    s.G_Tol[k] = ui->CSpinEdit1->value();
    s.applyAxisToAll = ui->CheckBox1->isChecked();
    if (const StoreStatus saved = SaveChartAppearance(s, k); !saved.ok())
        ShowMessageBox("ВНИМАНИЕ", StoreWriteFailureText(saved).toStdString(), MB_OK | MB_ICONWARNING);
    accept();
}
