#pragma once

#include <windows.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Whether this Windows program runs under Wine, whose ntdll alone exports wine_get_version.
inline bool RunningUnderWine() {
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The Wine prefix that scripts/test-windows.sh made for this run and names in
// KESTREL_THROWAWAY_WINEPREFIX, as a Windows path: Wine shows the Unix root as drive Z:. Nothing
// anywhere else, outside Wine or in a prefix of the user's own, whose registry may hold the
// settings of a real Quintara.
inline std::optional<std::filesystem::path> ThrowawayWinePrefix() {
    const char* prefix = std::getenv("WINEPREFIX");
    const char* throwaway = std::getenv("KESTREL_THROWAWAY_WINEPREFIX");
    if (!RunningUnderWine() || prefix == nullptr || throwaway == nullptr ||
        std::string_view(prefix) != throwaway || *prefix != '/') {
        return std::nullopt;
    }
    return std::filesystem::path("Z:" + std::string(prefix));
}
