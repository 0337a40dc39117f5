#include "connection/ole_db_quoting.h"

namespace kestrel {

std::u16string QuoteOleDbValue(std::u16string_view value) {
    const bool needsQuotes = value.find_first_of(u";\"'") != std::u16string_view::npos ||
                             (!value.empty() && (value.front() == u' ' || value.back() == u' '));
    if (!needsQuotes) {
        return std::u16string(value);
    }
    std::u16string quoted = u"\"";
    for (char16_t c : value) {
        quoted += c;
        if (c == u'"') {
            quoted += u'"';
        }
    }
    quoted += u'"';
    return quoted;
}

}  // namespace kestrel
