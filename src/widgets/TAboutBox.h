// The about box: product, version, the maker's contacts and a link to the web-site window.
#pragma once

#include <QDialog>

namespace Ui {
class TAboutBox;
}
class Twww;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* owner);
    ~TAboutBox() override;

    void Label1Click();

protected:
    void showEvent(QShowEvent* event) override;   // FormShow

private:
    Ui::TAboutBox* ui;
};
