#include "base/visible_text.h"

namespace kestrel {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

// Marks, embeddings, overrides and isolates of the bidirectional algorithm, and the line and
// paragraph separators.
bool ChangesLayout(char16_t c) {
    return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x2028 && c <= 0x202E) ||
           (c >= 0x2066 && c <= 0x2069);
}

}  // namespace

std::u16string VisibleText(std::u16string_view text) {
    std::u16string visible;
    visible.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        if (c < 0x20) {
            visible += char16_t(0x2400 + c);
        } else if (c == 0x7F) {
            visible += u'\u2421';
        } else if ((c >= 0x80 && c <= 0x9F) || ChangesLayout(c) || IsLowSurrogate(c)) {
            visible += kReplacement;
        } else if (IsHighSurrogate(c)) {
            if (i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
                visible += c;
                visible += text[++i];
            } else {
                visible += kReplacement;
            }
        } else {
            visible += c;
        }
    }
    return visible;
}

std::u16string VisibleBeginning(std::u16string_view text, std::size_t most) {
    if (text.size() <= most) {
        return VisibleText(text);
    }
    const bool pairAtTheCut = most > 0 && IsHighSurrogate(text[most - 1]);
    return VisibleText(text.substr(0, most - (pairAtTheCut ? 1 : 0))) + u"…";
}

}  // namespace kestrel
