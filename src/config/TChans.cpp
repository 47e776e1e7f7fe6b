#include "TChans.h"
#include "ui_TChans.h"

#include "MessageBox.h"
#include "Settings.h"
#include "SettingsStore.h"

TChans::TChans(QWidget* owner) : QDialog(owner), ui(new Ui::TChans)
{
    ui->setupUi(this);
    spins_ = {ui->CSpinEdit1, ui->CSpinEdit2, ui->CSpinEdit3, ui->CSpinEdit4, ui->CSpinEdit5, ui->CSpinEdit6};
    // Designer forms know point sizes only; the slot labels are 16 pixels high.
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3, ui->Label4, ui->Label5, ui->Label6}) {
        QFont font = label->font();
        font.setPixelSize(16);
        label->setFont(font);
    }
    connect(ui->Button1, &QPushButton::clicked, this, &TChans::Button1Click);
    FormCreate();
    setFixedSize(sizeHint().expandedTo(QSize(350, 336)));
}

TChans::~TChans()
{
    delete ui;
}

void TChans::FormCreate()
{
    const Settings& s = CurrentSettings();
    for (size_t slot = 0; slot < spins_.size(); ++slot)
        spins_[slot]->setValue(s.Chs[slot] + 1);
}

void TChans::Button1Click()
{
    // The focus goes to the first slot whose channel appears anywhere else.
    for (size_t i = 0; i < spins_.size(); ++i) {
        for (size_t j = 0; j < spins_.size(); ++j) {
            if (j != i && spins_[i]->value() == spins_[j]->value()) {
                spins_[i]->setFocus();
                ShowPlainMessage(tr("Не может быть одинаковых каналов").toStdString());
                return;
            }
        }
    }
    Settings updated = CurrentSettings();
    for (size_t slot = 0; slot < spins_.size(); ++slot)
        updated.Chs[slot] = spins_[slot]->value() - 1;
    // Stored before the dialog closes: a store that takes nothing leaves the user's order in
    // the dialog unless the user applies it for this session only.
    if (const StoreStatus saved = SaveChannelOrderKeys(updated);
        !saved.ok() && ShowMessageBox("ВНИМАНИЕ", StoreApplyUnsavedQuestion(saved).toStdString(),
                                      MB_YESNO | MB_ICONWARNING) != IDYES)
        return;
    CurrentSettings() = updated;
    accept();
}
