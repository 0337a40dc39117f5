#pragma once

namespace kestrel {

// How the program started with arguments ends: one status per kind of failure, so that a script
// run across many machines can tell them apart without reading the message.
enum class ReportStatus {
    Ok = 0,
    // A fault of the program itself (as the window's "Erro inesperado").
    Unexpected = 1,
    WrongUsage = 2,
    // Missing, empty or unreadable settings: where the window would open the connection dialog.
    SettingsUnusable = 3,
    UnsupportedManagerType = 4,
    CouldNotConnect = 5,
    PassFailed = 6,
};

}  // namespace kestrel
