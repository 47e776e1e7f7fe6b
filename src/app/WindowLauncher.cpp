#include "WindowLauncher.h"

#include "MessageBox.h"
#include "RecentFolders.h"
#include "TAboutBox.h"
#include "TAudioOpen.h"
#include "TCalib.h"
#include "TChans.h"
#include "TDemo.h"
#include "TFileSave.h"
#include "TMagnit.h"
#include "TPower.h"
#include "TUst.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileDialog>

namespace {
const QString kAudioPatterns = QStringLiteral("*.wav *.w64 *.rf64 *.flac *.caf *.aif *.aiff");

QString runOpenDialog(QWidget* owner)
{
    QFileDialog OD(owner);
    OD.setObjectName(QStringLiteral("OD"));
    OD.setFileMode(QFileDialog::ExistingFile);
    // Every kind the program opens shows at first; the narrower filters stay a choice away.
    OD.setNameFilters(
        {QCoreApplication::translate("WindowLauncher", "Все записи (*.dat *.kvnb %1)").arg(kAudioPatterns),
         QCoreApplication::translate("WindowLauncher", "Файлы DAT и KVN (*.dat *.kvnb)"),
         QCoreApplication::translate("WindowLauncher", "Звуковые файлы (%1)").arg(kAudioPatterns)});
    OD.setOption(QFileDialog::ReadOnly, false);
    StartInRecentFolder(OD, FolderKind::Recordings);
    if (OD.exec() != QDialog::Accepted || OD.selectedFiles().isEmpty())
        return QString();
    RememberDialogFolder(OD, FolderKind::Recordings);
    return OD.selectedFiles().constFirst();
}
}   // namespace

WindowLauncher WindowLauncher::Default()
{
    WindowLauncher l;
    l.chooseFile = runOpenDialog;
    l.runAboutBox = [](QWidget* owner) {
        TAboutBox box(owner);
        box.exec();
    };
    l.openPlayback = [](QWidget* owner, const QString& name) {
        TMagnit w(owner, name);
        w.exec();
    };
    l.openProcessing = [](QWidget* owner, const QString& name, int unit) {
        TFileSave w(owner, name);
        w.setUnitSelection(unit);
        w.exec();
    };
    l.openAudio = [](QWidget* owner, const QString& name, int unit) {
        AudioFileInfo info;
        const AudioResult read = ReadAudioInfo(QFile::encodeName(name).toStdString(), info);
        if (!read.ok()) {
            ShowMessageBox("ВНИМАНИЕ", read.message.c_str(), MB_OK | MB_ICONWARNING);
            return;
        }
        TAudioOpen dialog(owner, name, info);
        if (dialog.exec() != QDialog::Accepted)
            return;
        TFileSave w(owner, name);
        w.setAudioSource(dialog.choice());
        w.setUnitSelection(unit);
        w.exec();
    };
    l.runTestSignalDialog = [](QWidget* owner) {
        TDemo d(owner);
        return d.exec() == QDialog::Accepted;
    };
    l.openSurvey = [](QWidget* owner) {
        TPower w(owner);
        w.exec();
    };
    l.runSettingsDialog = [](QWidget* owner) {
        TUst d(owner);
        d.exec();
    };
    l.runChannelDialog = [](QWidget* owner) {
        TChans d(owner);
        d.exec();
    };
    l.runCalibrationDialog = [](QWidget* owner) {
        TCalib d(owner);
        d.exec();
    };
    return l;
}
