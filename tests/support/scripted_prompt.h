#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/connection_prompt.h"

// A connection prompt that answers as a user would have: each call gives the next scripted
// connection string, or nothing for a cancel.
class ScriptedPrompt : public kestrel::ConnectionPrompt {
public:
    std::optional<std::u16string> PromptNew() override {
        ++calls;
        if (const std::function<void()> pressed = std::exchange(whileOpen, {})) {
            pressed();
        }
        if (fault) {
            const std::string what = *fault;
            fault.reset();
            throw std::out_of_range(what);
        }
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::u16string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::u16string>> answers;
    int calls = 0;
    // Run once while the dialog is open, as what a user or a screen reader does meanwhile.
    std::function<void()> whileOpen;
    // Thrown once, as a fault of the program, instead of the next answer.
    std::optional<std::string> fault;
};
