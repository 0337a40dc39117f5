#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// `text` as it may be shown in one line of the window: a control character (carriage return, line
// feed, NUL, escape, ...) becomes its visible picture (U+2400 to U+2421), and a character that
// breaks the line or changes the direction of the text around it (U+202E and its kin), a C1
// control and half of a broken surrogate pair become U+FFFD. Text that came from a server can then
// neither hide nor reorder what a box or a message shows.
std::u16string VisibleText(std::u16string_view text);

// The first `most` characters of `text` (a surrogate pair is not split) as VisibleText shows them,
// and "…" when there were more: a server's name or field in a message, which it may make as long
// as it likes.
std::u16string VisibleBeginning(std::u16string_view text, std::size_t most);

}  // namespace kestrel
