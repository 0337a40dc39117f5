#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Whether two key or value names are the same name to Windows, which ignores case. Folds the case
// of every letter that Windows-1252 holds: a name that reached the registry through the ANSI code
// page can hold no other.
bool SameRegistryName(std::u16string_view left, std::u16string_view right);

// The name with its case folded as SameRegistryName folds it: two names are the same name exactly
// when their folded forms are equal, so that the folded form can key an index.
std::u16string FoldedRegistryName(std::u16string_view name);

}  // namespace kestrel
