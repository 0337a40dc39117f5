#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The ODBC drivers for SQL Server that Kestrel can use, best first: Microsoft's current drivers,
// then FreeTDS (Linux), then the "SQL Server" driver that every Windows has.
inline constexpr std::u16string_view kSqlServerDrivers[] = {
    u"ODBC Driver 18 for SQL Server",
    u"ODBC Driver 17 for SQL Server",
    u"FreeTDS",
    u"SQL Server",
};

// How a driver wants its connection string.
enum class DriverFamily {
    MicrosoftOdbc,     // ODBC Driver 17 or 18 for SQL Server
    WindowsSqlServer,  // Windows' own "SQL Server" driver
    FreeTds,
};

DriverFamily FamilyOfDriver(std::u16string_view driver);

}  // namespace kestrel
