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

// Later lines win, as when Wine loads the file.
void Keep(std::vector<StoredValue>& values, StoredValue value) {
    const auto same = std::ranges::find_if(
        values, [&](const StoredValue& kept) { return SameRegistryName(kept.name, value.name); });
    if (same == values.end()) {
        values.push_back(std::move(value));
    } else {
        *same = std::move(value);
    }
}

}  // namespace

std::optional<std::vector<StoredValue>> FindWineRegistryKey(
    std::string_view fileText, std::span<const std::u16string> keyPath) {
    RegistryFileLines lines(fileText);
    if (lines.Next() != kHeader) {
        return std::nullopt;
    }
    // Wine writes a key only when it has values or no subkeys; the others exist as parents. The
    // file's root always exists.
    bool keyExists = keyPath.empty();
    bool inKey = false;
    std::vector<StoredValue> values;
    while (const auto line = lines.Next()) {
        const std::string_view text = SkipLeadingSpaces(*line);
        if (text.starts_with('[')) {
            const auto path = ParseKeyLine(text);
            inKey = path && path->size() == keyPath.size() && StartsWithPath(*path, keyPath);
            keyExists = keyExists || (path && StartsWithPath(*path, keyPath));
        } else if (inKey && (text.starts_with('"') || text.starts_with('@'))) {
            if (auto value = ParseValueLine(text, lines)) {
                Keep(values, std::move(*value));
            }
        }
    }
    if (!keyExists) {
        return std::nullopt;
    }
    return values;
}

}  // namespace kestrel
