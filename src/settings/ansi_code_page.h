#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The system's ANSI code page, in which the registry's ANSI entry points take names and give text:
// the one Windows is set to, and Windows-1252 elsewhere. A character that the code page cannot
// represent is changed by the conversion, mostly to "?".
std::string ToAnsiCodePage(std::u16string_view text);
std::u16string FromAnsiCodePage(std::string_view bytes);

}  // namespace kestrel
