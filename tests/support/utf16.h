#pragma once

#include <string>
#include <string_view>

// UTF-8 test text (source literals, the test server's log) as the program's UTF-16.
inline std::u16string U16(const std::string& utf8) {
    std::u16string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char lead = utf8[i];
        const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
        char32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k) {
            code = (code << 6) | (utf8[i + k] & 0x3F);
        }
        i += 1 + extra;
        if (code >= 0x10000) {
            code -= 0x10000;
            out += char16_t(0xD800 + (code >> 10));
            out += char16_t(0xDC00 + (code & 0x3FF));
        } else {
            out += char16_t(code);
        }
    }
    return out;
}

// Test text for a trace: ASCII as it is, anything else as '?'.
inline std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) {
        out += c < 0x80 ? char(c) : '?';
    }
    return out;
}
