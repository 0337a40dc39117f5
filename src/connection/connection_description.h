#pragma once

#include <string>

#include "connection/ole_db/connection_string_data_source.h"
#include "connection/password.h"

namespace kestrel {

// A connection as Kestrel means it, read once from its OLE DB connection string
// (DescribeConnection): every later step (the SQL Server Browser's question, the drivers to try,
// each driver's ODBC string, the messages) reads this, never the string again.
struct ConnectionDescription {
    std::u16string server;    // the data source as written, "(local)" when none: for messages
    DataSource dataSource;    // where it points
    bool tcp = false;         // TCP asked for: "tcp:" or the network library "dbmssocn"
    std::u16string database;  // empty: the login's default database
    // The login in effect, the caller's when given, else the string's; none with integrated
    // security.
    std::u16string user;
    Password password;
    bool integratedSecurity = false;
    std::u16string provider;  // as written, empty when none: always one of SQL Server's
};

// The host that FreeTDS and the SQL Server Browser's question are given. This machine is reached
// over TCP on its IPv4 loopback address, "localhost" too: that name may give IPv6's loopback
// first, where the server need not listen.
std::u16string FreeTdsHost(const DataSource& source);

}  // namespace kestrel
