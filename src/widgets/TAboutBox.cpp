#include "TAboutBox.h"
#include "ui_TAboutBox.h"

#include "Artwork.h"
#include "ClickableLabels.h"
#include "Twww.h"

#include <algorithm>

TAboutBox::TAboutBox(QWidget* owner) : QDialog(owner), ui(new Ui::TAboutBox)
{
    ui->setupUi(this);
    // The design size, grown only where the system font needs more room than it leaves.
    setFixedSize(368, std::max(412, sizeHint().height()));
    ui->ProgramIcon->setPixmap(SonorixLogo(QSize(185, 122)));
    ui->Label1->setText(MakerWebAddress());
    ui->Label2->setText(QStringLiteral("E-mail: ") + MakerEmail());
    ui->Label3->setText(tr("Тел.: %1").arg(MakerPhone()));
    connect(ui->OKButton, &QPushButton::clicked, this, &QDialog::accept);
    OnClick(ui->Label1, [this] { Label1Click(); });
}

TAboutBox::~TAboutBox()
{
    delete ui;
}

void TAboutBox::Label1Click()
{
    // Owned by the box, so it goes when the box is destroyed.
    auto* www = new Twww(this);
    www->show();
}

void TAboutBox::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    ui->OKButton->setFocus();
}
