#pragma once

#include <optional>
#include <string>

namespace kestrel {

// What a box of the window shows for a value that the server sent: nothing for Null; else the
// value, trimmed of blanks when `trim` asks for it, with every control or direction-changing
// character shown as a visible sign. A value that the database layer had to cut
// (kLongestFieldValue) shows its first part and says that it was cut. Box and tooltip then show
// the same text, whole, and the server cannot make either misleading.
std::u16string BoxText(const std::optional<std::u16string>& value, bool trim);

}  // namespace kestrel
