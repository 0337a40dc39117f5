#pragma once

#include <optional>
#include <span>
#include <string>

namespace kestrel {

// What the arguments ask for. Without any, the window; otherwise a report, the usage, or the
// usage with what was wrong.
struct CommandLine {
    enum class Action { Window, Report, Help, WrongUsage };
    Action action = Action::Window;
    bool json = false;
    // The server, database and login of --servidor, --banco and --usuario; without a server the
    // report reads Quintara's settings.
    std::optional<std::u16string> servidor;
    std::optional<std::u16string> banco;
    std::optional<std::u16string> usuario;
    std::u16string wrong;  // what was wrong, for WrongUsage
};

// Reads the arguments after the program's name. --relatorio asks for the report; --json,
// --servidor, --banco and --usuario imply it. A value follows its option as the next argument or
// after "=". With `windowsForms`, "/relatorio", "/json", ... and "/?" are the same as their "--"
// forms, as Windows tools take them.
CommandLine ParseCommandLine(std::span<const std::u16string> arguments, bool windowsForms);

// The usage in Portuguese, with the exit statuses: for --help and after a wrong argument.
std::u16string UsageText(bool windowsForms);

}  // namespace kestrel
