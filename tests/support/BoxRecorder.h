// Records every message box and answers it from a script, in place of the
// real box. Restores the previous box on destruction.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/AnsiText.h"
#include "platform/Dialogs.h"

struct RecordedBox {
    std::string text;  // UTF-8
    vcl::MsgKind kind;
    vcl::MsgButtons buttons;
};

class BoxRecorder {
public:
    BoxRecorder() {
        previous_ = vcl::SetMessageBoxFn([this](const std::string& text, vcl::MsgKind kind, vcl::MsgButtons buttons) {
            boxes.push_back({vcl::AnsiToUtf8(text), kind, buttons});
            if (onShow) onShow();
            if (answers.empty()) return buttons == vcl::MsgButtons::Ok ? vcl::mrOk : vcl::mrYes;
            int a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~BoxRecorder() { vcl::SetMessageBoxFn(std::move(previous_)); }
    BoxRecorder(const BoxRecorder&) = delete;
    BoxRecorder& operator=(const BoxRecorder&) = delete;

    std::vector<RecordedBox> boxes;
    std::deque<int> answers;           // results to give, in order; default OK / Yes
    std::function<void()> onShow;      // runs while the box "is open"

private:
    vcl::MessageBoxFn previous_;
};
