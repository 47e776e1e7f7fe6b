// A message presenter for tests and batch runs: it records every message and answers
// from a queue (or with a default answer), never showing anything.
#pragma once

#include "MessageBox.h"

#include <deque>
#include <string>
#include <vector>

class RecordingPresenter : public MessagePresenter {
public:
    struct Message {
        MessageKind kind;
        std::string caption;
        std::string text;
        int flags;
    };

    // Installs itself for its lifetime and puts the previous presenter back afterwards.
    RecordingPresenter();
    ~RecordingPresenter() override;
    RecordingPresenter(const RecordingPresenter&) = delete;
    RecordingPresenter& operator=(const RecordingPresenter&) = delete;

    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override;

    std::vector<Message> messages;
    std::deque<int> answers;   // answers given in order; when empty, defaultAnswer
    int defaultAnswer = IDOK;

private:
    MessagePresenter* previous_;
};
