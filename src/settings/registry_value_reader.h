#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "base/window_services.h"
#include "settings/registry_api.h"

namespace kestrel {

// What a registry read gives back: empty (nullopt) when the root name is unusable, otherwise a
// text, which is "Error" when the key or the value cannot be read. Callers take empty as "".
using RegistryValue = std::optional<std::u16string>;

// A read's value, and whether it is "Error" because the key or the value could not be read rather
// than because "Error" is stored: a caller must not send such a value anywhere.
struct RegistryRead {
    RegistryValue value;
    bool failed = false;
};

// The handle of the predefined root key with exactly this name (case-sensitive), 0 for any other.
RootKeyHandle RootKeyFromName(std::u16string_view rootName);

struct SplitKeyPath {
    RootKeyHandle rootKey = 0;
    // What follows the first "\" of the key path; "" when it has none; the whole key path when it
    // is malformed.
    std::u16string remainder;
};

// Splits a key path at its first "\" and looks up the root key named before it. A path that does
// not start with "HKEY_" or ends in "\" is malformed: the user is told, and the root key is 0.
SplitKeyPath SplitRootKey(WindowServices& services, std::u16string_view keyPath);

// The text of a registry value up to its first zero character, without leading and trailing
// blanks, whatever the value's registry type. Opens `subkey` directly below the root that
// `rootName` names; whatever follows a "\" in `rootName` is ignored. The key is looked for in the
// 32-bit view of the registry first, where a 32-bit Quintara writes it on 64-bit Windows, then in
// the 64-bit view. Data that need more than 255 bytes with their terminating zero read as "Error".
// Never leaves a key open.
RegistryRead ReadRegistryValue(RegistryApi& registry, WindowServices& services,
                               std::u16string_view rootName, std::u16string_view subkey,
                               std::u16string_view valueName);

}  // namespace kestrel
