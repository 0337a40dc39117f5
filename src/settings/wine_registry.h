#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "settings/registry_api.h"
#include "settings/regular_file.h"
#include "settings/wine_registry_file.h"

namespace kestrel {

// The registry of a Wine prefix, read from the files that Wine keeps it in, so that a Quintara
// installed under Wine is found as on Windows: HKEY_LOCAL_MACHINE in system.reg, HKEY_CURRENT_USER
// in user.reg; the other roots hold nothing, and neither does a missing file, one that is no
// regular file, or one too large for any real prefix. In a 64-bit prefix, a key opened in the
// 32-bit view below HKEY_LOCAL_MACHINE\Software is read from Software\Wow6432Node, as Wine itself
// keeps it. A key is looked up once for as long as its file stays the same (size, times, file
// number), so that the reads of one click cost one pass over the file and an edit shows at the next
// read. Text data come back in Windows-1252.
class WineRegistry : public RegistryApi {
public:
    explicit WineRegistry(std::filesystem::path prefix) : m_prefix(std::move(prefix)) {}

    RegistryStatus OpenKey(RootKeyHandle root, const std::string& subkey, std::uint32_t options,
                           std::uint32_t accessMask, OpenKeyHandle& opened) override;
    RegistryStatus QueryValue(OpenKeyHandle key, const std::string& valueName, std::uint32_t& type,
                              std::span<char> buffer, std::uint32_t& dataSize) override;
    RegistryStatus CloseKey(OpenKeyHandle key) override;

private:
    // What is known of one version of a registry file: its header (nullopt when it is no Wine
    // registry file) and the keys looked up so far, by their folded path; null for a key the file
    // does not hold.
    struct LookedUpKeys {
        FileIdentity identity;
        std::optional<WineRegistryHeader> header;
        std::map<std::u16string, std::shared_ptr<const RegistryKeyValues>> keys;
    };

    std::filesystem::path m_prefix;
    std::map<RootKeyHandle, LookedUpKeys> m_files;
    std::map<OpenKeyHandle, std::shared_ptr<const RegistryKeyValues>> m_openKeys;
    OpenKeyHandle m_nextHandle = 1;
};

// The prefix that Wine itself would use: $WINEPREFIX, else ~/.wine; empty when neither is known.
std::filesystem::path DefaultWinePrefix();

}  // namespace kestrel
