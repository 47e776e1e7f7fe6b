// The folder each kind of file was last opened from or saved to, kept in the settings store
// (section "Folders") so that a file dialog starts there after a restart too.
#pragma once

#include <QString>

class QFileDialog;

enum class FolderKind {
    Recordings,   // recordings and segments
    Audio,        // sound files
    Csv,          // tables
    Settings,     // settings INI files
    Images,       // chart pictures
    Surveys,
};

// The folder last used for this kind, or empty when none was or it no longer exists.
QString RecentFolder(FolderKind kind);
// Notes the folder of `file` (a file or a folder) for this kind.
void RememberFolder(FolderKind kind, const QString& file);
// Starts the dialog in the kind's folder, when there is one; otherwise leaves it where it is.
void StartInRecentFolder(QFileDialog& dialog, FolderKind kind);
// Notes the folder of the dialog's chosen file, after an accepted dialog.
void RememberDialogFolder(const QFileDialog& dialog, FolderKind kind);
