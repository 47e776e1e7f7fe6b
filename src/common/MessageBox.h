// The one routine through which the program's own messages reach the user. The routine
// itself knows no toolkit: the application installs a presenter that shows a real modal
// box, and tests install one that records the message and answers it.
#pragma once

#include <string>

// Flags and button identifiers keep the platform message-box values the callers use.
enum MessageBoxFlags : int {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNO = 0x4,
    MB_ICONERROR = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONWARNING = 0x30,
    MB_ICONINFORMATION = 0x40,
};

enum MessageBoxResult : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDYES = 6,
    IDNO = 7,
};

enum class MessageKind {
    Box,     // ShowMessageBox: caption, text, flags
    Plain,   // the toolkit's plain message box: the application title as caption, one OK button
};

class MessagePresenter {
public:
    virtual ~MessagePresenter() = default;
    // Texts are UTF-8. Returns the identifier of the button pressed.
    virtual int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) = 0;
};

// Installs the presenter; returns the previous one. nullptr restores the fallback, which
// shows nothing and answers IDOK (IDNO for a Yes/No question), so nothing is ever overwritten
// or lost because no one could be asked.
MessagePresenter* SetMessagePresenter(MessagePresenter* presenter);

int ShowMessageBox(const std::string& caption, const std::string& text, int flags);

// A plain message with one OK button, captioned with the application's title.
void ShowPlainMessage(const std::string& text);
