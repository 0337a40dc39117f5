#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "connection/connection_description.h"

namespace kestrel {

// The ODBC connection string that logs `driver` (one of kSqlServerDrivers) on to the connection
// `description` describes. Encryption is used when the server asks for it and never demanded, as
// with the classic provider. FreeTDS is always given a port: the one in the data source, else
// `instancePort` for a named instance (the SQL Server Browser's answer), else 1433; this machine
// is its loopback address 127.0.0.1. Microsoft's drivers get the data source as they read it.
// Throws Failure (kBadConnectionString) for a value that cannot be passed on, and for FreeTDS and
// a named instance whose port is not known.
std::u16string DriverConnectionString(const ConnectionDescription& description,
                                      std::u16string_view driver,
                                      std::optional<std::uint16_t> instancePort = {});

}  // namespace kestrel
