#pragma once

#include <string_view>

#include "connection/connection_description.h"

namespace kestrel {

// Reads an OLE DB connection string for SQL Server's provider (SQLOLEDB, SQLNCLI, MSOLEDBSQL, or
// none named) into the connection it describes: the one place where that text is read. A
// non-empty `userId` or `password` wins over the string's own. Keywords that only tune the
// provider (Persist Security Info, Connect Timeout, Application Name, Packet Size, ...) are left
// out. Throws Failure for a string that cannot be read and for a port that is not one
// (kBadConnectionString), and for a provider that is not SQL Server's (kProviderNotFound), in
// that order.
ConnectionDescription DescribeConnection(std::u16string_view oleDbString,
                                         std::u16string_view userId, std::u16string_view password);

}  // namespace kestrel
