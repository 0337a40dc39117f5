#pragma once

#include <optional>
#include <string>

namespace kestrel {

// The connection dialog, as the handlers see it: it shows itself modal to the main window and
// gives the OLE DB connection string the user built, or nothing when the user cancels.
class ConnectionPrompt {
public:
    virtual ~ConnectionPrompt() = default;
    virtual std::optional<std::u16string> PromptNew() = 0;
};

}  // namespace kestrel
