#pragma once

#include <chrono>
#include <cstddef>
#include <string_view>

#include "app/command_line.h"
#include "settings/registry_api.h"

namespace kestrel {

// The standard streams of the program started with arguments, as its platform has them.
class StandardStreams {
public:
    virtual ~StandardStreams() = default;
    virtual void WriteOut(std::u16string_view text) = 0;
    virtual void WriteErr(std::u16string_view text) = 0;
    // Waits for bytes of standard input; 0 at its end.
    virtual std::size_t ReadIn(char* buffer, std::size_t size) = 0;
};

// How long a report waits for the password's line on standard input.
inline constexpr std::chrono::seconds kPasswordBound{60};

// The program started with arguments (not Action::Window): the usage, or the report on the
// standard streams. Returns the exit status.
int RunCommandLine(const CommandLine& line, StandardStreams& streams, RegistryApi& registry,
                   bool windowsForms);

}  // namespace kestrel
