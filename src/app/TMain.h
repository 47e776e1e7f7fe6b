// The main window: a launcher with a menu, a toolbar and the maker's link. It owns the
// settings record for the life of the process and publishes it to the other windows.
#pragma once

#include "Language.h"
#include "Settings.h"
#include "WindowLauncher.h"

#include <QMainWindow>

namespace Ui {
class TMain;
}
struct StoreStatus;
class QToolButton;
class Twww;

class TMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TMain(QWidget* parent = nullptr, WindowLauncher launcher = WindowLauncher::Default());
    ~TMain() override;

    Settings& settings() { return Settings_; }
    int lastOpenKind() const { return lastOpenKind_; }
    WindowLauncher& launcher() { return launcher_; }

    QToolButton* SpeedButton1;   // settings
    QToolButton* SpeedButton2;   // open
    QToolButton* SpeedButton3;   // channels

public slots:
    void SpeedButton2Click();   // open command
    void SpeedButton1Click();   // settings command
    void SpeedButton3Click();   // channel-order command
    void N7Click();             // test-signal command
    void N10Click();            // sound power from a survey of points
    void N3Click();             // exit without the close-time save
    void N8Click();             // about box
    void N9Click();             // calibration from a calibrator recording
    void Label1Click();         // web-site window

protected:
    void closeEvent(QCloseEvent* event) override;   // FormClose
    void changeEvent(QEvent* event) override;

public:
    // Installs the language for this window and every window opened after, and keeps the choice.
    void SwitchLanguage(UiLanguage language);

private:
    void FormCreate();
    void retranslateCodeTexts();
    static void reportStoreWrite(const StoreStatus& status);

    Ui::TMain* ui;
    Settings Settings_;
    int lastOpenKind_ = -1;
    WindowLauncher launcher_;
};
