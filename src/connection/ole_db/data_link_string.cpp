#include "connection/ole_db/data_link_string.h"

#include "connection/ole_db/ole_db_quoting.h"

namespace kestrel {

std::u16string BuildDataLinkString(const DataLinkChoices& choices) {
    std::u16string s = u"Provider=SQLOLEDB.1;";
    if (choices.integratedSecurity) {
        s += u"Integrated Security=SSPI;Persist Security Info=False;";
    } else {
        s += u"Password=" + QuoteOleDbValue(choices.password) +
             u";Persist Security Info=False;User ID=" + QuoteOleDbValue(choices.userName) + u";";
    }
    if (!choices.database.empty()) {
        s += u"Initial Catalog=" + QuoteOleDbValue(choices.database) + u";";
    }
    s += u"Data Source=" + QuoteOleDbValue(choices.server);
    return s;
}

}  // namespace kestrel
