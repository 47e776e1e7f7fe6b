#include "WindowLauncher.h"

#include "TAboutBox.h"
#include "TCalib.h"
#include "TChans.h"
#include "TDemo.h"
#include "TFileSave.h"
#include "TMagnit.h"
#include "TUst.h"

#include <QFileDialog>

namespace {
QString runOpenDialog(QWidget* owner)
{
    QFileDialog OD(owner);
    OD.setObjectName(QStringLiteral("OD"));
    OD.setFileMode(QFileDialog::ExistingFile);
    OD.setNameFilter(QStringLiteral("Файлы DAT и KVN (*.dat *.kvnb)"));
    OD.setOption(QFileDialog::ReadOnly, false);
    if (OD.exec() != QDialog::Accepted || OD.selectedFiles().isEmpty())
        return QString();
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
    l.runTestSignalDialog = [](QWidget* owner) {
        TDemo d(owner);
        return d.exec() == QDialog::Accepted;
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
