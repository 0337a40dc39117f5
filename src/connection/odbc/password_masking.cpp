#include "connection/odbc/password_masking.h"

#include <algorithm>

#include "base/text.h"

namespace kestrel {

namespace {

// The length of the keyword at the start of `text`, with blanks before its "=" and the "=" itself
// and the blanks after it; 0 when no password keyword starts there.
std::size_t PasswordKeywordLength(std::u16string_view text) {
    for (std::u16string_view keyword : {u"PWD", u"Password"}) {
        if (!StartsWithIgnoringCase(text, keyword)) {
            continue;
        }
        std::size_t at = text.find_first_not_of(u' ', keyword.size());
        if (at == std::u16string_view::npos || text[at] != u'=') {
            continue;
        }
        at = text.find_first_not_of(u' ', at + 1);
        return at == std::u16string_view::npos ? text.size() : at;
    }
    return 0;
}

// Where a value that opens with `close`'s partner ends: after the first `close` that is not
// doubled; the end of the text when none closes it.
std::size_t EndOfEnclosedValue(std::u16string_view value, char16_t close) {
    for (std::size_t at = 1; at < value.size(); ++at) {
        if (value[at] == close) {
            if (at + 1 < value.size() && value[at + 1] == close) {
                ++at;
                continue;
            }
            return at + 1;
        }
    }
    return value.size();
}

std::size_t EndOfValue(std::u16string_view value, std::u16string_view password) {
    if (value.empty()) {
        return 0;
    }
    switch (value.front()) {
        case u'{':
            return EndOfEnclosedValue(value, u'}');
        case u'"':
        case u'\'':
            return EndOfEnclosedValue(value, value.front());
    }
    const std::size_t pastPassword =
        !password.empty() && value.starts_with(password) ? password.size() : 0;
    return std::min(value.find(u';', pastPassword), value.size());
}

}  // namespace

std::u16string MaskPasswordAttributes(std::u16string_view text, const Password& password) {
    const std::u16string_view inEffect = password.m_text;
    std::u16string masked;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t keyword = PasswordKeywordLength(text.substr(at));
        if (keyword == 0) {
            masked += text[at++];
            continue;
        }
        masked += text.substr(at, keyword);
        at += keyword;
        at += EndOfValue(text.substr(at), inEffect);
        masked += u"****";
    }
    return masked;
}

}  // namespace kestrel
