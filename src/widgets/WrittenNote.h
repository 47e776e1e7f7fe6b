// The note a window shows in its status line after it has written a file, so the user sees
// where the file went without a box to click away: "Записано: <path>" for a few seconds.
#pragma once

#include <QByteArray>
#include <QString>

class QStatusBar;
class QWidget;

constexpr int kWrittenNoteMs = 6000;

// Shows the note in the status line of `widget`'s window (a main window's own status bar, or a
// line added at the bottom of a dialog the first time it writes a file).
void ShowWritten(QWidget* widget, const QString& path);
// The window's status line, or nullptr while it has none.
QStatusBar* WrittenNoteBar(QWidget* widget);

// The question every window asks before a file of its own is replaced, "Файл существует.Переписать?";
// true when there is no such file or the user answers yes.
bool MayReplaceFile(const QString& fileName);
// Writes `bytes` as fileName, an old file replaced only by a complete new one; false after a box
// saying why it could not, true after the note above.
bool WriteFileNoted(QWidget* widget, const QString& fileName, const QByteArray& bytes);
