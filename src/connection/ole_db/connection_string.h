#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kestrel {

struct OdbcConnectionString {
    std::u16string text;        // for SQLDriverConnect
    std::u16string dataSource;  // the server as the OLE DB string names it, for messages
    std::u16string password;    // the password in effect, so that messages can be kept free of it
    bool integratedSecurity = false;
};

// A named instance that FreeTDS is to reach: the host as FreeTDS is given it, and the instance.
struct NamedInstance {
    std::u16string host;
    std::u16string instance;
};

// The named instance to ask the SQL Server Browser about: a data source "host\INSTANCE" without a
// port; nothing otherwise. Throws Failure as TranslateConnectionString does for another provider
// and for a string that cannot be read.
std::optional<NamedInstance> InstanceToLookUp(std::u16string_view oleDbString);

// The server as the OLE DB string names it, for messages: its data source, or "(local)" when it
// names none. Throws Failure for a string that cannot be read.
std::u16string DataSourceName(std::u16string_view oleDbString);

// Translates an OLE DB connection string for SQL Server's provider (SQLOLEDB, SQLNCLI,
// MSOLEDBSQL) into the ODBC connection string for `driver`, one of kSqlServerDrivers. A non-empty
// `userId` or `password` wins over the string's own. Encryption is used when the server asks for
// it and never demanded, as with the classic provider. Keywords that only tune the provider
// (Persist Security Info, Connect Timeout, Application Name, Packet Size, ...) are left out.
// FreeTDS is always given a port: the one in the data source, else `instancePort` for a named
// instance (InstanceToLookUp), else 1433; this machine is its loopback address 127.0.0.1.
// Microsoft's drivers get the data source as they read it.
// Throws Failure for a provider that is not SQL Server's (kProviderNotFound), and for a string or
// value that cannot be read or passed on (kBadConnectionString).
OdbcConnectionString TranslateConnectionString(std::u16string_view oleDbString,
                                               std::u16string_view userId,
                                               std::u16string_view password,
                                               std::u16string_view driver,
                                               std::optional<std::uint16_t> instancePort = {});

}  // namespace kestrel
