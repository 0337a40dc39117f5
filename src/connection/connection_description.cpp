#include "connection/connection_description.h"

#include "base/text.h"

namespace kestrel {

std::u16string FreeTdsHost(const DataSource& source) {
    return source.thisMachine || EqualsIgnoringCase(source.host, u"localhost") ? u"127.0.0.1"
                                                                               : source.host;
}

}  // namespace kestrel
