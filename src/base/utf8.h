#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The program's UTF-16 text as UTF-8, for standard output and error; half of a broken surrogate
// pair becomes U+FFFD.
std::string Utf8(std::u16string_view text);

// UTF-8 from outside (arguments, standard input) as UTF-16; a byte that does not belong to a
// well-formed sequence becomes U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace kestrel
