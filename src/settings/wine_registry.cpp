#include "settings/wine_registry.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <vector>

#include "base/windows_1252.h"
#include "settings/registry_name.h"

namespace kestrel {
namespace {

// A fresh prefix's system.reg is about 2 MB: no real one comes near this.
constexpr std::uint64_t kLargestRegistryFile = std::uint64_t{256} << 20;

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

// Where a 64-bit prefix keeps what a 32-bit program writes below HKEY_LOCAL_MACHINE\Software.
void MoveToThirtyTwoBitView(std::vector<std::u16string>& keyNames) {
    constexpr std::u16string_view kRedirected = u"Software";
    constexpr std::u16string_view kThirtyTwoBitNode = u"Wow6432Node";
    if (!keyNames.empty() && SameRegistryName(keyNames[0], kRedirected) &&
        (keyNames.size() == 1 || !SameRegistryName(keyNames[1], kThirtyTwoBitNode))) {
        std::vector<std::u16string> moved{keyNames[0], std::u16string(kThirtyTwoBitNode)};
        moved.insert(moved.end(), std::make_move_iterator(keyNames.begin() + 1),
                     std::make_move_iterator(keyNames.end()));
        keyNames = std::move(moved);
    }
}

// One text per key, equal for two paths exactly when they name the same key.
std::u16string FoldedPath(const std::vector<std::u16string>& keyNames) {
    std::u16string path;
    for (const std::u16string& name : keyNames) {
        path += FoldedRegistryName(name);
        path += u'\\';
    }
    return path;
}

}  // namespace

RegistryStatus WineRegistry::OpenKey(RootKeyHandle root, const std::string& subkey,
                                     std::uint32_t /*options*/, std::uint32_t accessMask,
                                     OpenKeyHandle& opened) {
    auto keyNames = SplitKeyNames(DecodeWindows1252(subkey));
    if (!keyNames) {
        return registry_status::kBadPathname;
    }
    if (m_prefix.empty() || (root != root_key::kLocalMachine && root != root_key::kCurrentUser)) {
        return registry_status::kFileNotFound;
    }
    auto file =
        RegularFile::Open(m_prefix / (root == root_key::kLocalMachine ? "system.reg" : "user.reg"),
                          kLargestRegistryFile);
    if (!file) {
        m_files.erase(root);
        return registry_status::kFileNotFound;
    }
    // The file is read only for what is not known yet of this version of it.
    std::optional<RegistryFileLines> lines;
    const auto readFromTheStart = [&] {
        lines.emplace([&file](std::span<char> buffer) { return file->Read(buffer); });
        return ReadWineRegistryHeader(*lines);
    };
    auto files = m_files.find(root);
    if (files == m_files.end() || files->second.identity != file->Identity()) {
        files =
            m_files.insert_or_assign(root, LookedUpKeys{file->Identity(), readFromTheStart(), {}})
                .first;
    }
    LookedUpKeys& looked = files->second;
    if (!looked.header) {
        return registry_status::kFileNotFound;
    }
    if (root == root_key::kLocalMachine && !looked.header->win32 &&
        (accessMask & registry_access::kWow64_32Key) != 0) {
        MoveToThirtyTwoBitView(*keyNames);
    }

    const std::u16string path = FoldedPath(*keyNames);
    auto key = looked.keys.find(path);
    if (key == looked.keys.end()) {
        if (!lines) {
            readFromTheStart();
        }
        auto values = FindWineRegistryKey(*lines, *keyNames);
        key = looked.keys
                  .emplace(path, values
                                     ? std::make_shared<const RegistryKeyValues>(std::move(*values))
                                     : nullptr)
                  .first;
    }
    if (!key->second) {
        return registry_status::kFileNotFound;
    }
    opened = m_nextHandle++;
    m_openKeys.emplace(opened, key->second);
    return registry_status::kSuccess;
}

RegistryStatus WineRegistry::QueryValue(OpenKeyHandle key, const std::string& valueName,
                                        std::uint32_t& type, std::span<char> buffer,
                                        std::uint32_t& dataSize) {
    const auto openKey = m_openKeys.find(key);
    if (openKey == m_openKeys.end()) {
        return registry_status::kInvalidHandle;
    }
    const RegistryKeyValues& values = *openKey->second;
    const auto value = values.find(FoldedRegistryName(DecodeWindows1252(valueName)));
    if (value == values.end()) {
        return registry_status::kFileNotFound;
    }
    const std::string data = AnsiData(value->second);
    type = value->second.type;
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
