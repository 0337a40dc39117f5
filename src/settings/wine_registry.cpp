#include "settings/wine_registry.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

#include "settings/registry_name.h"
#include "settings/windows_1252.h"
#include "settings/wine_registry_file.h"

namespace kestrel {
namespace {

std::optional<std::string> ReadWholeFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return std::nullopt;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        return std::nullopt;
    }
    return std::move(text).str();
}

bool IsTextType(std::uint32_t type) {
    return type == registry_type::kString || type == registry_type::kExpandString ||
           type == registry_type::kMultiString;
}

// The data as RegQueryValueExA gives them: text converted to the ANSI code page, zeros and all;
// any other type byte for byte.
std::string AnsiData(const StoredValue& value) {
    if (!IsTextType(value.type)) {
        return std::string(value.data.begin(), value.data.end());
    }
    std::u16string text(value.data.size() / 2, u'\0');
    for (std::size_t unit = 0; unit < text.size(); ++unit) {
        text[unit] = static_cast<char16_t>(value.data[2 * unit] | (value.data[2 * unit + 1] << 8));
    }
    return EncodeWindows1252(text);
}

}  // namespace

RegistryStatus WineRegistry::OpenKey(RootKeyHandle root, const std::string& subkey,
                                     std::uint32_t /*options*/, std::uint32_t /*accessMask*/,
                                     OpenKeyHandle& opened) {
    const auto keyNames = SplitKeyNames(DecodeWindows1252(subkey));
    if (!keyNames) {
        return registry_status::kBadPathname;
    }
    if (m_prefix.empty() || (root != root_key::kLocalMachine && root != root_key::kCurrentUser)) {
        return registry_status::kFileNotFound;
    }
    const auto fileText =
        ReadWholeFile(m_prefix / (root == root_key::kLocalMachine ? "system.reg" : "user.reg"));
    if (!fileText) {
        return registry_status::kFileNotFound;
    }
    auto values = FindWineRegistryKey(*fileText, *keyNames);
    if (!values) {
        return registry_status::kFileNotFound;
    }
    opened = m_nextHandle++;
    m_openKeys.emplace(opened, std::move(*values));
    return registry_status::kSuccess;
}

RegistryStatus WineRegistry::QueryValue(OpenKeyHandle key, const std::string& valueName,
                                        std::uint32_t& type, std::span<char> buffer,
                                        std::uint32_t& dataSize) {
    const auto openKey = m_openKeys.find(key);
    if (openKey == m_openKeys.end()) {
        return registry_status::kInvalidHandle;
    }
    const std::u16string name = DecodeWindows1252(valueName);
    const auto value = std::ranges::find_if(openKey->second, [&](const StoredValue& stored) {
        return SameRegistryName(stored.name, name);
    });
    if (value == openKey->second.end()) {
        return registry_status::kFileNotFound;
    }
    const std::string data = AnsiData(*value);
    type = value->type;
    dataSize = static_cast<std::uint32_t>(data.size());
    if (data.size() > buffer.size()) {
        return registry_status::kMoreData;
    }
    std::ranges::copy(data, buffer.begin());
    return registry_status::kSuccess;
}

RegistryStatus WineRegistry::CloseKey(OpenKeyHandle key) {
    return m_openKeys.erase(key) == 1 ? registry_status::kSuccess : registry_status::kInvalidHandle;
}

std::filesystem::path DefaultWinePrefix() {
    if (const char* prefix = std::getenv("WINEPREFIX"); prefix != nullptr && *prefix != '\0') {
        return prefix;
    }
    if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') {
        return std::filesystem::path(home) / ".wine";
    }
    return {};
}

}  // namespace kestrel
