#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Removes leading and trailing blanks (U+0020 only; tabs and other white space stay).
inline std::u16string_view TrimBlanks(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
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

inline std::u16string DecimalText(long long number) {
    std::u16string text;
    for (char c : std::to_string(number)) {
        text += char16_t(c);
    }
    return text;
}

// Keywords and the values compared with them are ASCII; other characters are compared as they are.
inline char16_t ToLowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

inline bool EqualsIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (ToLowerAscii(a[i]) != ToLowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}

inline bool StartsWithIgnoringCase(std::u16string_view text, std::u16string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace kestrel
