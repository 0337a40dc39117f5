#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Windows-1252, the ANSI code page of Western European Windows, which Quintara's users run.
// A UTF-16 code unit that it cannot represent becomes its best fit, as Windows converts it, or "?".
std::string EncodeWindows1252(std::u16string_view text);
std::u16string DecodeWindows1252(std::string_view bytes);

}  // namespace kestrel
