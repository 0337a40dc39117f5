// Feeds arbitrary bytes to the Wine registry file parser as the text of system.reg, and looks up
// the keys Kestrel reads and a few others, converting each value found as the reader would. The
// file is also read piece by piece, in pieces of a size the input chooses, as a file on disk is:
// both ways must find the same.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/windows_1252.h"
#include "settings/registry_api.h"
#include "settings/wine_registry_file.h"
#include "settings/wine_registry_syntax.h"

namespace {

const std::vector<std::vector<std::u16string>> kKeyPaths = {
    {u"Software", u"Norvik", u"Database"},
    {u"Software", u"Wow6432Node", u"Norvik", u"Database"},
    {u"Software", u"Norvik", u"Kestrel Values"},
    {u"Software"},
    {},
};

std::optional<kestrel::RegistryKeyValues> Find(kestrel::RegistryFileLines& lines,
                                               const std::vector<std::u16string>& keyPath) {
    if (!kestrel::ReadWineRegistryHeader(lines)) {
        return std::nullopt;
    }
    return kestrel::FindWineRegistryKey(lines, keyPath);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::size_t pieceSize = size == 0 ? 1 : 1 + data[0] % 7;
    for (const auto& keyPath : kKeyPaths) {
        kestrel::RegistryFileLines whole(text);
        const auto values = Find(whole, keyPath);

        std::size_t offset = 0;
        kestrel::RegistryFileLines pieces([&](std::span<char> buffer) {
            const std::size_t count = std::min({pieceSize, buffer.size(), text.size() - offset});
            std::memcpy(buffer.data(), text.data() + offset, count);
            offset += count;
            return count;
        });
        if (Find(pieces, keyPath) != values) {
            std::abort();
        }
        if (!values) {
            continue;
        }
        for (const auto& [name, value] : *values) {
            if (value.type == kestrel::registry_type::kString ||
                value.type == kestrel::registry_type::kExpandString ||
                value.type == kestrel::registry_type::kMultiString) {
                std::u16string units(value.data.size() / 2, u'\0');
                for (std::size_t i = 0; i < units.size(); ++i) {
                    units[i] = char16_t(value.data[2 * i] | (value.data[2 * i + 1] << 8));
                }
                kestrel::DecodeWindows1252(kestrel::EncodeWindows1252(units));
            }
        }
    }
    kestrel::SplitKeyNames(kestrel::DecodeWindows1252(text.substr(0, 300)));
    return 0;
}
