// The message presenter of the batch tool: the readers' and routines' messages go to the error
// stream, prefixed with the program and the file being processed, and every question is
// answered without asking anyone (a Yes/No question with No, so nothing is ever overwritten).
#pragma once

#include "MessageBox.h"

#include <ostream>
#include <string>

class StderrPresenter : public MessagePresenter {
public:
    // Installs itself for its lifetime and puts the previous presenter back afterwards.
    explicit StderrPresenter(std::ostream& err);
    ~StderrPresenter() override;
    StderrPresenter(const StderrPresenter&) = delete;
    StderrPresenter& operator=(const StderrPresenter&) = delete;

    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override;

    // The file named in front of every message; empty for none.
    void setFile(const std::string& file) { file_ = file; }
    // While muted, messages are counted but not written (a scan that expects the end-of-file
    // errors of the reader).
    void setMuted(bool muted) { muted_ = muted; }
    int messageCount() const { return count_; }

    // A progress line stands on the terminal without its line's end; it is wiped before any
    // message, so a message never runs on after it.
    void setProgressShown() { progressShown_ = true; }
    void endProgressLine();

    // The readers and writers report a failure of the file system in a box captioned
    // "GetLastError" that holds the system's reason; the tool says instead what it was doing
    // ("cannot read", "cannot write"), default "system error".
    void setSystemAction(const std::string& action) { systemAction_ = action; }
    // While capturing, message texts are kept instead of written, so the caller can say in one
    // line what failed and why; takeCaptured returns them ("; " between) and ends the capture.
    void startCapture();
    std::string takeCaptured();

private:
    std::ostream& err_;
    MessagePresenter* previous_;
    std::string file_;
    std::string systemAction_ = "system error";
    std::string captured_;
    bool capturing_ = false;
    bool muted_ = false;
    bool progressShown_ = false;
    int count_ = 0;
};
