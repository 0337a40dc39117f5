#pragma once

#include <optional>
#include <span>
#include <string>
#include <unordered_map>

#include "settings/wine_registry_syntax.h"

namespace kestrel {

// The values of one key, each under its name folded by FoldedRegistryName, so that a name is
// found as Windows finds it, in one look-up.
using RegistryKeyValues = std::unordered_map<std::u16string, StoredValue>;

// What the start of a registry file that Wine wrote says, up to its first key.
struct WineRegistryHeader {
    // A 32-bit prefix ("#arch=win32"): its registry has one view, so a 32-bit program's keys are
    // where a 64-bit one's are.
    bool win32 = false;
};

// Reads the header from the start of `lines`, which then go on at the first key. Nullopt when the
// file is no Wine registry file.
std::optional<WineRegistryHeader> ReadWineRegistryHeader(RegistryFileLines& lines);

// The values of the key at `keyPath` (its names below the file's root, compared as Windows
// compares them) in the rest of a registry file after its header, system.reg or user.reg. Nullopt
// when the file does not hold the key, neither with its values nor as the parent of a key it holds.
// A damaged line is passed over: a value on it reads as absent, and so do the values under a
// damaged key line. One pass over the lines, whatever their number and the key's.
std::optional<RegistryKeyValues> FindWineRegistryKey(RegistryFileLines& lines,
                                                     std::span<const std::u16string> keyPath);

}  // namespace kestrel
