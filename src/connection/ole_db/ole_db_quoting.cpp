#include "connection/ole_db/ole_db_quoting.h"

#include "base/text.h"

namespace kestrel {

std::u16string QuoteOleDbValue(std::u16string_view value) {
    // A value that begins with "=" would be read as "==", an "=" inside the keyword.
    const bool needsQuotes = value.find_first_of(u";\"'") != std::u16string_view::npos ||
                             (!value.empty() && (value.front() == u' ' || value.front() == u'=' ||
                                                 value.back() == u' '));
    if (!needsQuotes) {
        return std::u16string(value);
    }
    return Quoted(value, u'"');
}

}  // namespace kestrel
