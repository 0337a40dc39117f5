#include "connection/ole_db/connection_string_data_source.h"

#include "base/failure.h"
#include "base/text.h"
#include "connection/database_error.h"

namespace kestrel {

std::optional<std::uint16_t> ReadPortNumber(std::u16string_view text) {
    if (text.empty() || text.size() > 5) {
        return std::nullopt;
    }
    long number = 0;
    for (char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        number = number * 10 + (c - u'0');
    }
    if (number < 1 || number > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(number);
}

DataSource ReadDataSource(std::u16string_view text) {
    DataSource source;
    std::u16string_view rest = TrimBlanks(text);
    if (StartsWithIgnoringCase(rest, u"tcp:")) {
        source.tcpPrefix = true;
        rest = TrimBlanks(rest.substr(4));
    }
    if (const std::size_t comma = rest.find(u','); comma != std::u16string_view::npos) {
        const std::u16string_view port = TrimBlanks(rest.substr(comma + 1));
        if (!ReadPortNumber(port)) {
            throw Failure{database_error::kBadConnectionString,
                          u"O servidor \"" + std::u16string(TrimBlanks(text)) +
                              u"\" tem uma porta que não é um número de 1 a 65535."};
        }
        source.port = port;
        rest = TrimBlanks(rest.substr(0, comma));
    }
    if (const std::size_t backslash = rest.find(u'\\'); backslash != std::u16string_view::npos) {
        source.instance = TrimBlanks(rest.substr(backslash + 1));
        rest = TrimBlanks(rest.substr(0, backslash));
    }
    source.thisMachine = rest.empty() || rest == u"." || EqualsIgnoringCase(rest, u"(local)");
    if (!source.thisMachine) {
        source.host = rest;
    }
    return source;
}

}  // namespace kestrel
