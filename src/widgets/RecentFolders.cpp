#include "RecentFolders.h"

#include "SettingsStore.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Folders");

QString keyOf(FolderKind kind)
{
    switch (kind) {
    case FolderKind::Recordings:
        return QStringLiteral("Recordings");
    case FolderKind::Audio:
        return QStringLiteral("Audio");
    case FolderKind::Csv:
        return QStringLiteral("Csv");
    case FolderKind::Settings:
        return QStringLiteral("Settings");
    case FolderKind::Images:
        return QStringLiteral("Images");
    case FolderKind::Surveys:
        return QStringLiteral("Surveys");
    }
    return QString();
}
}   // namespace

QString RecentFolder(FolderKind kind)
{
    const QString folder = SettingsStore().ReadText(kSection, keyOf(kind), QString());
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberFolder(FolderKind kind, const QString& file)
{
    if (file.isEmpty())
        return;
    const QFileInfo info(file);
    const QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    SettingsStore store;
    if (store.ReadText(kSection, keyOf(kind), QString()) != folder)
        store.WriteText(kSection, keyOf(kind), QDir::toNativeSeparators(folder));
}

void StartInRecentFolder(QFileDialog& dialog, FolderKind kind)
{
    const QString folder = RecentFolder(kind);
    if (!folder.isEmpty())
        dialog.setDirectory(folder);
}

void RememberDialogFolder(const QFileDialog& dialog, FolderKind kind)
{
    const QStringList files = dialog.selectedFiles();
    RememberFolder(kind, files.isEmpty() ? dialog.directory().absolutePath() : files.front());
}
