// The application object. An exception thrown inside a command is shown in a message box
// and the program goes on, as a user expects from a desktop program.
#pragma once

#include <QApplication>

class SonorixApplication : public QApplication {
public:
    SonorixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The standard display of an exception: a message box with its message.
    static void ShowException(const QString& message);
};

// Start-up: application object, main window, message loop. Returns 0 in every case.
int RunSonorix(int argc, char** argv);
