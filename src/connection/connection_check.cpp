#include "connection/connection_check.h"

namespace kestrel {

std::optional<Failure> TestConnection(std::u16string_view connectionString,
                                      DatabaseTimeouts timeouts) {
    try {
        Connection connection(timeouts);
        connection.Open(connectionString, u"", u"");
        return std::nullopt;
    } catch (const Failure& failure) {
        return failure;
    }
}

std::vector<std::u16string> ListDatabases(std::u16string_view connectionString,
                                          DatabaseTimeouts timeouts) {
    Connection connection(timeouts);
    connection.Open(connectionString, u"", u"");
    Recordset names;
    // sysdatabases answers on every release from SQL Server 2000 on.
    names.Open(u"SELECT name FROM master.dbo.sysdatabases ORDER BY name", connection);
    std::vector<std::u16string> databases;
    for (bool more = names.HasRow(); more; more = names.MoveNext()) {
        databases.push_back(names.Field(0).value_or(u""));
    }
    return databases;
}

}  // namespace kestrel
