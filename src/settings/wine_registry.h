#pragma once

#include <filesystem>
#include <map>
#include <vector>

#include "settings/registry_api.h"
#include "settings/wine_registry_syntax.h"

namespace kestrel {

// The registry of a Wine prefix, read from the files that Wine keeps it in, so that a Quintara
// installed under Wine is found as on Windows: HKEY_LOCAL_MACHINE in system.reg, HKEY_CURRENT_USER
// in user.reg; the other roots hold nothing, and neither does a missing or unreadable file. Each
// OpenKey reads its file afresh, so an edit of the registry shows at the next read. Text data come
// back in Windows-1252.
class WineRegistry : public RegistryApi {
public:
    explicit WineRegistry(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

    RegistryStatus OpenKey(RootKeyHandle root, const std::string& subkey, std::uint32_t options,
                           std::uint32_t accessMask, OpenKeyHandle& opened) override;
    RegistryStatus QueryValue(OpenKeyHandle key, const std::string& valueName, std::uint32_t& type,
                              std::span<char> buffer, std::uint32_t& dataSize) override;
    RegistryStatus CloseKey(OpenKeyHandle key) override;

private:
    std::filesystem::path m_prefix;
    // The values of each open key, as its file held them when it was opened.
    std::map<OpenKeyHandle, std::vector<StoredValue>> m_openKeys;
    OpenKeyHandle m_nextHandle = 1;
};

// The prefix that Wine itself would use: $WINEPREFIX, else ~/.wine; empty when neither is known.
std::filesystem::path DefaultWinePrefix();

}  // namespace kestrel
