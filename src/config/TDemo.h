// The test-signal parameter dialog: edits the "Demo" fields of the settings record. The
// caller shows it modally; only "Принять" stores the fields and ends it with OK.
#pragma once

#include <QDialog>

namespace Ui {
class TDemo;
}

class TDemo : public QDialog {
    Q_OBJECT
public:
    explicit TDemo(QWidget* owner);
    ~TDemo() override;

    void FormCreate();     // controls from the settings record
    void Button1Click();   // controls into the settings record, then OK

private:
    Ui::TDemo* ui;
};
