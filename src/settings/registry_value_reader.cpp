#include "settings/registry_value_reader.h"

#include <array>
#include <cstdint>

#include "base/text.h"
#include "settings/ansi_code_page.h"

namespace kestrel {
namespace {

struct RootKeyName {
    std::u16string_view name;
    RootKeyHandle handle;
};

constexpr std::array<RootKeyName, 7> kRootKeys = {{
    {u"HKEY_CLASSES_ROOT", root_key::kClassesRoot},
    {u"HKEY_CURRENT_USER", root_key::kCurrentUser},
    {u"HKEY_LOCAL_MACHINE", root_key::kLocalMachine},
    {u"HKEY_USERS", root_key::kUsers},
    {u"HKEY_PERFORMANCE_DATA", root_key::kPerformanceData},
    {u"HKEY_CURRENT_CONFIG", root_key::kCurrentConfig},
    {u"HKEY_DYN_DATA", root_key::kDynData},
}};

constexpr std::size_t kValueBufferSize = 255;
constexpr std::u16string_view kReadFailed = u"Error";

// Closes the opened key on every way out of the read, a thrown failure included.
class OpenedKey {
public:
    OpenedKey(RegistryApi& registry, OpenKeyHandle key) : m_registry(registry), m_key(key) {}
    ~OpenedKey() { m_registry.CloseKey(m_key); }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;

private:
    RegistryApi& m_registry;
    OpenKeyHandle m_key;
};

std::u16string_view UpToFirstZero(std::u16string_view text) {
    return text.substr(0, text.find(u'\0'));
}

}  // namespace

RootKeyHandle RootKeyFromName(std::u16string_view rootName) {
    for (const RootKeyName& root : kRootKeys) {
        if (root.name == rootName) {
            return root.handle;
        }
    }
    return 0;
}

SplitKeyPath SplitRootKey(WindowServices& services, std::u16string_view keyPath) {
    if (!keyPath.starts_with(u"HKEY_") || keyPath.ends_with(u'\\')) {
        services.ShowMessage(std::u16string(u"Incorrect Format:\n\n").append(keyPath),
                             MessageIcon::None);
        return {0, std::u16string(keyPath)};
    }
    const auto backslash = keyPath.find(u'\\');
    if (backslash == std::u16string_view::npos) {
        return {RootKeyFromName(keyPath), u""};
    }
    return {RootKeyFromName(keyPath.substr(0, backslash)),
            std::u16string(keyPath.substr(backslash + 1))};
}

RegistryRead ReadRegistryValue(RegistryApi& registry, WindowServices& services,
                               std::u16string_view rootName, std::u16string_view subkey,
                               std::u16string_view valueName) {
    const RegistryRead failed{std::u16string(kReadFailed), true};
    const RootKeyHandle rootKey = SplitRootKey(services, rootName).rootKey;
    if (rootKey == 0) {
        return {std::nullopt, false};
    }

    const std::string ansiSubkey = ToAnsiCodePage(subkey);
    OpenKeyHandle key = 0;
    RegistryStatus status = registry.OpenKey(
        rootKey, ansiSubkey, 0, registry_access::kRead | registry_access::kWow64_32Key, key);
    if (status == registry_status::kFileNotFound) {
        status = registry.OpenKey(rootKey, ansiSubkey, 0,
                                  registry_access::kRead | registry_access::kWow64_64Key, key);
    }
    if (status != registry_status::kSuccess) {
        return failed;
    }
    const OpenedKey opened(registry, key);

    // The registry overwrites only the start of the buffer; the blanks after the data's
    // terminating zero are trimmed away below.
    std::array<char, kValueBufferSize> buffer;
    buffer.fill(' ');
    // Asked for as text; whatever type comes back, the data are read as text.
    std::uint32_t type = registry_type::kString;
    std::uint32_t dataSize = 0;
    if (registry.QueryValue(key, ToAnsiCodePage(valueName), type, buffer, dataSize) !=
        registry_status::kSuccess) {
        return failed;
    }

    const std::u16string bufferText =
        FromAnsiCodePage(std::string_view(buffer.data(), buffer.size()));
    return {std::u16string(TrimBlanks(UpToFirstZero(TrimBlanks(bufferText)))), false};
}

}  // namespace kestrel
