// The application object. An exception thrown inside a command is shown in a message box
// and the program goes on, as a user expects from a desktop program.
#pragma once

#include <QApplication>
#include <QLocale>

class SonorixApplication : public QApplication {
public:
    SonorixApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The standard display of an exception: a message box with its message.
    static void ShowException(const QString& message);

    // Qt's own texts (the file dialog, the standard buttons) in the language of `locale`, from
    // Qt's installed translations; false when there are none for it (the texts stay English).
    // Installed once per application; a later call replaces the earlier one.
    static bool InstallQtTranslations(const QLocale& locale);
};

// Start-up: application object, main window, message loop. Returns 0 in every case.
int RunSonorix(int argc, char** argv);
