#include "TDemo.h"
#include "ui_TDemo.h"

#include "MessageBox.h"
#include "Settings.h"
#include "TestSignal.h"

#include <QPushButton>

TDemo::TDemo(QWidget* owner) : QDialog(owner), ui(new Ui::TDemo)
{
    ui->setupUi(this);
    setFixedSize(534, 292);
    connect(ui->Button1, &QPushButton::clicked, this, &TDemo::Button1Click);
    FormCreate();
}

TDemo::~TDemo()
{
    delete ui;
}

void TDemo::FormCreate()
{
    const Settings& s = CurrentSettings();
    // A form outside the list is synthesised as the sine, so show it as such.
    const bool knownForm = s.type_sig >= 0 && s.type_sig < ui->ComboBox1->count();
    ui->ComboBox1->setCurrentIndex(knownForm ? s.type_sig : kTestSignalSine);
    // Spin boxes clamp to their ranges, as the dialog has always shown out-of-range values.
    ui->CSpinEdit5->setValue(TestSignalAmplitudeVolts(s.ampl_sig, s.VOLT));
    ui->CSpinEdit1->setValue(s.freq_sig);
    ui->CSpinEdit2->setValue(s.ampl_noise_sig);
    ui->CSpinEdit3->setValue(s.FI_Z);
    ui->CSpinEdit4->setValue(s.FI_X);
    ui->CSpinEdit6->setValue(s.freq_ocifr);
    ui->CSpinEdit7->setValue(s.dlit);
}

void TDemo::Button1Click()
{
    Settings& s = CurrentSettings();
    s.type_sig = ui->ComboBox1->currentIndex();
    const std::optional<int32_t> steps = TestSignalAmplitudeSteps(ui->CSpinEdit5->value(), s.VOLT);
    s.freq_sig = ui->CSpinEdit1->value();
    s.ampl_noise_sig = ui->CSpinEdit2->value();
    s.FI_Z = ui->CSpinEdit3->value();
    s.FI_X = ui->CSpinEdit4->value();
    s.freq_ocifr = ui->CSpinEdit6->value();
    s.dlit = ui->CSpinEdit7->value();
    if (steps) {
        s.ampl_sig = *steps;
    } else {
        // Volts per ADC step come from the settings dialog; without a usable value the
        // amplitude in volts cannot be turned into ADC steps, so the stored one stays.
        ShowMessageBox("ВНИМАНИЕ",
                       tr("Амплитуда не изменена: значение VOLT (вольт на единицу АЦП) "
                          "должно быть положительным и не слишком малым. "
                          "Исправьте его в настройках.")
                           .toStdString(),
                       MB_OK | MB_ICONWARNING);
    }
    accept();
}
