// Shows the program's messages as real modal message boxes.
#pragma once

#include "MessageBox.h"

class QtMessagePresenter : public MessagePresenter {
public:
    int present(MessageKind kind, const std::string& caption, const std::string& text, int flags) override;
};
