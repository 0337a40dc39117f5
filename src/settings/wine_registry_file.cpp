#include "settings/wine_registry_file.h"

#include <algorithm>

#include "settings/registry_name.h"

namespace kestrel {
namespace {

constexpr std::string_view kHeader = "WINE REGISTRY Version 2";

bool StartsWithPath(std::span<const std::u16string> path, std::span<const std::u16string> prefix) {
    return path.size() >= prefix.size() &&
           std::ranges::equal(path.first(prefix.size()), prefix, SameRegistryName);
}

}  // namespace

std::optional<WineRegistryHeader> ReadWineRegistryHeader(RegistryFileLines& lines) {
    if (lines.Next() != kHeader) {
        return std::nullopt;
    }
    WineRegistryHeader header;
    // Wine reads options of the whole file, the architecture among them, before the first key.
    while (const auto line = lines.Next()) {
        const std::string_view text = SkipLeadingSpaces(*line);
        if (text.starts_with('[')) {
            lines.PutBack();
            break;
        }
        header.win32 = header.win32 || text == "#arch=win32";
    }
    return header;
}

std::optional<RegistryKeyValues> FindWineRegistryKey(RegistryFileLines& lines,
                                                     std::span<const std::u16string> keyPath) {
    // Wine writes a key only when it has values or no subkeys; the others exist as parents. The
    // file's root always exists.
    bool keyExists = keyPath.empty();
    bool inKey = false;
    RegistryKeyValues values;
    while (const auto line = lines.Next()) {
        const std::string_view text = SkipLeadingSpaces(*line);
        if (text.starts_with('[')) {
            const auto path = ParseKeyLine(text);
            inKey = path && path->size() == keyPath.size() && StartsWithPath(*path, keyPath);
            keyExists = keyExists || (path && StartsWithPath(*path, keyPath));
        } else if (inKey && (text.starts_with('"') || text.starts_with('@'))) {
            if (auto value = ParseValueLine(text, lines)) {
                // Later lines win, as when Wine loads the file.
                values.insert_or_assign(FoldedRegistryName(value->name), std::move(*value));
            }
        }
    }
    if (!keyExists) {
        return std::nullopt;
    }
    return values;
}

}  // namespace kestrel
