#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/wine_registry_syntax.h"

namespace kestrel {

// The values of the key at `keyPath` (its names below the file's root, compared as Windows
// compares them) in the text of a registry file that Wine wrote, system.reg or user.reg. Nullopt
// when the file does not hold the key, neither with its values nor as the parent of a key it holds,
// or is no Wine registry file at all. A damaged line is passed over: a value on it reads as absent,
// and so do the values under a damaged key line.
std::optional<std::vector<StoredValue>> FindWineRegistryKey(
    std::string_view fileText, std::span<const std::u16string> keyPath);

}  // namespace kestrel
