#pragma once

#include <string>
#include <string_view>

namespace kestrel {

struct OdbcConnectionString {
    std::u16string text;        // for SQLDriverConnect
    std::u16string dataSource;  // the server as the OLE DB string names it, for messages
    std::u16string password;    // the password in effect, so that messages can be kept free of it
    bool integratedSecurity = false;
};

// Translates an OLE DB connection string for SQL Server's provider (SQLOLEDB, SQLNCLI,
// MSOLEDBSQL) into the ODBC connection string for `driver`, one of kSqlServerDrivers. A non-empty
// `userId` or `password` wins over the string's own. Encryption is used when the server asks for
// it and never demanded, as with the classic provider. Keywords that only tune the provider
// (Persist Security Info, Connect Timeout, Application Name, Packet Size, ...) are left out.
// Throws Failure for a provider that is not SQL Server's (kProviderNotFound), and for a string or
// value that cannot be read or passed on (kBadConnectionString).
OdbcConnectionString TranslateConnectionString(std::u16string_view oleDbString,
                                               std::u16string_view userId,
                                               std::u16string_view password,
                                               std::u16string_view driver);

}  // namespace kestrel
