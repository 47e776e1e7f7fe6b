// How the main window's commands reach the windows they open. The defaults create the real
// windows; tests replace single entries to see what a command would have opened.
#pragma once

#include <QString>

#include <functional>

class QWidget;

struct WindowLauncher {
    // Runs the open dialog; an empty name means the user cancelled.
    std::function<QString(QWidget* owner)> chooseFile;
    std::function<void(QWidget* owner, const QString& fileName)> openPlayback;
    // unitSelection is given to the processing window's unit choice before it is shown.
    std::function<void(QWidget* owner, const QString& fileName, int unitSelection)> openProcessing;
    // A multichannel audio recording: the channel and stretch dialog, then the processing window.
    std::function<void(QWidget* owner, const QString& fileName, int unitSelection)> openAudio;
    // Returns true when the dialog was accepted.
    std::function<bool(QWidget* owner)> runTestSignalDialog;
    // The survey window: the sound power from the recordings of points around a source.
    std::function<void(QWidget* owner)> openSurvey;
    std::function<void(QWidget* owner)> runSettingsDialog;
    std::function<void(QWidget* owner)> runChannelDialog;
    std::function<void(QWidget* owner)> runCalibrationDialog;
    std::function<void(QWidget* owner)> runAboutBox;

    static WindowLauncher Default();
};
