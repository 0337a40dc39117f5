#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// Text helpers of the database layer. Connection-string keywords and the values compared with them
// are ASCII; other characters are compared as they are.
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

// Removes blanks (U+0020) at both ends, and nothing else.
inline std::u16string_view TrimBlanks(std::u16string_view text) {
    const std::size_t first = text.find_first_not_of(u' ');
    if (first == std::u16string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(u' ') - first + 1);
}

inline std::u16string DecimalText(long long number) {
    std::u16string text;
    for (char c : std::to_string(number)) {
        text += char16_t(c);
    }
    return text;
}

}  // namespace kestrel
