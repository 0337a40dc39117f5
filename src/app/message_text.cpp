#include "app/message_text.h"

#include <algorithm>

namespace kestrel {

std::u16string MessageBoxText(std::u16string_view text) {
    // A NUL would end the text for the Windows API: the rest, the advice and the number, lost.
    std::u16string whole(text);
    std::ranges::replace(whole, u'\0', u'\u2400');
    text = whole;
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
        return whole;
    }
    // Not between the two halves of a surrogate pair, nor between CR and LF.
    if (end > 0 &&
        ((text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) || text[end - 1] == u'\r')) {
        --end;
    }
    return std::u16string(text.substr(0, end)) + u"…";
}

}  // namespace kestrel
