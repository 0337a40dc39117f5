#pragma once

#include <deque>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/connection_prompt.h"

// A connection prompt that answers as a user would have: each call gives the next scripted
// connection string, or nothing for a cancel.
class ScriptedPrompt : public kestrel::ConnectionPrompt {
public:
    std::optional<std::u16string> PromptNew() override {
        ++calls;
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
    // Thrown once, as a fault of the program, instead of the next answer.
    std::optional<std::string> fault;
};
