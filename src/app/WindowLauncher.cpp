#include "WindowLauncher.h"

#include "TAboutBox.h"

#include <QFileDialog>

#if __has_include("TFileSave.h")
#include "TFileSave.h"
#define SONORIX_HAS_PROCESSING 1
#endif
#if __has_include("TMagnit.h")
#include "TMagnit.h"
#define SONORIX_HAS_PLAYBACK 1
#endif
#if __has_include("TDemo.h")
#include "TDemo.h"
#define SONORIX_HAS_DEMO 1
#endif
#if __has_include("TUst.h")
#include "TUst.h"
#define SONORIX_HAS_UST 1
#endif
#if __has_include("TChans.h")
#include "TChans.h"
#define SONORIX_HAS_CHANS 1
#endif

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
}  // namespace

WindowLauncher WindowLauncher::Default()
{
    WindowLauncher l;
    l.chooseFile = runOpenDialog;
    l.runAboutBox = [](QWidget* owner) {
        TAboutBox box(owner);
        box.exec();
    };
#ifdef SONORIX_HAS_PLAYBACK
    l.openPlayback = [](QWidget* owner, const QString& name) {
        TMagnit w(owner, name);
        w.exec();
    };
#endif
#ifdef SONORIX_HAS_PROCESSING
    l.openProcessing = [](QWidget* owner, const QString& name, int unit) {
        TFileSave w(owner, name);
        w.setUnitSelection(unit);
        w.exec();
    };
#endif
#ifdef SONORIX_HAS_DEMO
    l.runTestSignalDialog = [](QWidget* owner) {
        TDemo d(owner);
        return d.exec() == QDialog::Accepted;
    };
#endif
#ifdef SONORIX_HAS_UST
    l.runSettingsDialog = [](QWidget* owner) {
        TUst d(owner);
        d.exec();
    };
#endif
#ifdef SONORIX_HAS_CHANS
    l.runChannelDialog = [](QWidget* owner) {
        TChans d(owner);
        d.exec();
    };
#endif
    return l;
}
