#include "app/message_text.h"

namespace kestrel {

namespace {

bool IsBlank(char16_t c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// A box breaks a line only at a blank, and widens for a longer run (a server's name or message
// without one) past the screen: such a run is broken a line's width at a time. A NUL would end
// the text for the Windows API, the advice and the number after it lost.
std::u16string Breakable(std::u16string_view text) {
    std::u16string broken;
    std::size_t run = 0;
    for (char16_t c : text) {
        run = IsBlank(c) ? 0 : run + 1;
        if (run > kMessageLineWidth && !IsLowSurrogate(c)) {
            broken += u"\r\n";
            run = 1;
        }
        broken += c == u'\0' ? u'\u2400' : c;
    }
    return broken;
}

}  // namespace

std::u16string MessageBoxText(std::u16string_view message) {
    const std::u16string text = Breakable(message);
    std::size_t end = 0;
    for (std::size_t lines = 1, width = 0; end < text.size(); ++end) {
        if (text[end] == u'\r') {
            continue;
        }
        const bool lineBreak = text[end] == u'\n';
        const bool newLine = lineBreak || width == kMessageLineWidth;
        width = newLine ? (lineBreak ? 0 : 1) : width + 1;
        if (newLine && ++lines > kMessageLines) {
            break;
        }
    }
    if (end == text.size()) {
        return text;
    }
    // Not between the two halves of a surrogate pair, nor between CR and LF.
    if (end > 0 && (IsHighSurrogate(text[end - 1]) || text[end - 1] == u'\r')) {
        --end;
    }
    return text.substr(0, end) + u"…";
}

}  // namespace kestrel
