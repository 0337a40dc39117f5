#include "connection/odbc/connection_string_writer.h"

#include "base/failure.h"
#include "connection/database_error.h"

namespace kestrel {

namespace {

[[noreturn]] void Refuse(const OdbcAttribute& attribute, std::u16string_view why) {
    throw Failure{database_error::kBadConnectionString,
                  std::u16string(attribute.subject) + std::u16string(why)};
}

std::u16string Braced(std::u16string_view value) {
    std::u16string out = u"{";
    for (char16_t c : value) {
        out += c;
        if (c == u'}') {
            out += u'}';
        }
    }
    return out + u'}';
}

// Whether the driver manager, reading "{value}" the standard way, stops only at the closing
// brace: a "}" it meets inside must be the first of a pair, or the value's last character (which
// then pairs with the closing brace, so the reading runs to the end of the string).
bool StandardReadingStaysInside(std::u16string_view value) {
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != u'}') {
            continue;
        }
        if (i + 1 == value.size()) {
            return true;
        }
        if (value[i + 1] != u'}') {
            return false;
        }
        ++i;
    }
    return true;
}

// Appended piece by piece: GCC 12 warns wrongly (-Wrestrict) on "{" + value + "}".
std::u16string InBraces(std::u16string_view value) {
    std::u16string braced;
    braced.reserve(value.size() + 2);
    braced += u'{';
    braced += value;
    braced += u'}';
    return braced;
}

std::u16string FreeTdsValue(const OdbcAttribute& attribute, bool last) {
    const std::u16string_view value = attribute.value;
    if (value.find(u'}') == std::u16string_view::npos) {
        return InBraces(value);
    }
    if (value.find(u';') == std::u16string_view::npos && value.front() != u'{') {
        return std::u16string(value);
    }
    // Unescaped braces: FreeTDS takes the value up to the first "};"; the driver manager's
    // standard reading may run past it, which is harmless only at the end of the string.
    if (last && value.find(u"};") == std::u16string_view::npos &&
        StandardReadingStaysInside(value)) {
        return InBraces(value);
    }
    Refuse(attribute,
           u" combina \"}\" com \";\" ou com \"{\" no início de um jeito que o driver ODBC FreeTDS "
           u"não consegue receber.");
}

}  // namespace

std::u16string WriteOdbcConnectionString(const std::vector<OdbcAttribute>& attributes,
                                         OdbcQuoting quoting) {
    std::u16string out;
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const OdbcAttribute& attribute = attributes[i];
        if (attribute.value.find(u'\0') != std::u16string::npos) {
            Refuse(attribute, u" contém um caractere nulo, que não cabe numa cadeia de conexão.");
        }
        out += attribute.keyword;
        out += u'=';
        out += quoting == OdbcQuoting::Standard
                   ? Braced(attribute.value)
                   : FreeTdsValue(attribute, i + 1 == attributes.size());
        // Always closed: FreeTDS 1.3 keeps the closing brace of a final value that lacks ";".
        out += u';';
    }
    return out;
}

}  // namespace kestrel
