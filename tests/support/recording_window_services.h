#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/window_services.h"

// Window services that record what the handlers asked for, for tests that run without a window.
class RecordingWindowServices : public kestrel::WindowServices {
public:
    struct Message {
        std::u16string text;
        kestrel::MessageIcon icon;
    };

    void ShowMessage(const std::u16string& text, kestrel::MessageIcon icon) override {
        messages.push_back({text, icon});
    }
    void SetMousePointer(kestrel::MousePointer p) override { pointer = p; }
    void EndProgram() override { ++endProgramCalls; }
    void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
    void SetText(kestrel::TextBox box, const std::u16string& text) override { boxes[box] = text; }
    std::u16string Text(kestrel::TextBox box) const override {
        const auto found = boxes.find(box);
        return found == boxes.end() ? std::u16string() : found->second;
    }
    void CopyToClipboard(const std::u16string& text) override { clipboard.push_back(text); }

    std::vector<Message> messages;
    kestrel::MousePointer pointer = kestrel::MousePointer::Default;
    int endProgramCalls = 0;
    bool timerEnabled = false;
    std::map<kestrel::TextBox, std::u16string> boxes;
    std::vector<std::u16string> clipboard;  // what each copy put there
};
