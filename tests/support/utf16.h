#pragma once

#include <string>
#include <string_view>

#include "base/utf8.h"

// UTF-8 test text (source literals, the test server's log) as the program's UTF-16.
inline std::u16string U16(const std::string& utf8) {
    return kestrel::FromUtf8(utf8);
}

// Test text for a trace: ASCII as it is, anything else as '?'.
inline std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c < 0x80 ? char(c) : '?';
    }
    return out;
}
