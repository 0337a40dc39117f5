#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Removes leading and trailing blanks (U+0020 only; tabs and other white space stay).
inline std::u16string TrimBlanks(std::u16string_view text) {
    const auto first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return std::u16string(text.substr(first, text.find_last_not_of(u' ') - first + 1));
}

// The text between two `quote` characters, each `quote` inside doubled: the quoting of SQL
// literals and of OLE DB values alike.
inline std::u16string Quoted(std::u16string_view text, char16_t quote) {
    std::u16string quoted(1, quote);
    for (char16_t c : text) {
        quoted += c;
        if (c == quote) {
            quoted += quote;
        }
    }
    quoted += quote;
    return quoted;
}

}  // namespace kestrel
