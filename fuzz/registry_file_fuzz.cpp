// Feeds arbitrary bytes to the Wine registry file parser as the text of system.reg, and looks up
// the keys Kestrel reads and a few others, converting each value found as the reader would.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry_api.h"
#include "settings/windows_1252.h"
#include "settings/wine_registry_file.h"
#include "settings/wine_registry_syntax.h"

namespace {

const std::vector<std::vector<std::u16string>> kKeyPaths = {
    {u"Software", u"Norvik", u"Database"},
    {u"Software", u"Norvik", u"Kestrel Values"},
    {u"Software"},
    {},
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& keyPath : kKeyPaths) {
        const auto values = kestrel::FindWineRegistryKey(text, keyPath);
        if (!values) {
            continue;
        }
        for (const kestrel::StoredValue& value : *values) {
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
