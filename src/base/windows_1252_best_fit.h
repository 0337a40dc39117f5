#pragma once

#include <optional>

namespace kestrel {

// The byte that Windows gives, converting to Windows-1252, for a code unit the code page lacks:
// its best fit (a letter without its accent, a fullwidth form as ASCII, ...), where Windows has
// one. Nothing for the others, which Windows turns into "?".
std::optional<char> BestFitWindows1252(char16_t unit);

}  // namespace kestrel
