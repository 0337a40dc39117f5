#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The text a message box is given: a run without a blank broken every kMessageLineWidth
// characters, no more than kMessageLines lines as a box shows them (a line taken as one for each
// kMessageLineWidth characters it holds), then "…"; a NUL shown as its sign. A box is as tall as
// its text and as wide as its longest run, and one past the screen puts its OK button out of
// reach; every message of ours is far shorter, but a server's words are not ours to bound.
inline constexpr std::size_t kMessageLines = 30;
inline constexpr std::size_t kMessageLineWidth = 50;
std::u16string MessageBoxText(std::u16string_view text);

}  // namespace kestrel
