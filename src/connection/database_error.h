#pragma once

#include <cstdint>

namespace kestrel {

// The numbers of kestrel::Failure from this layer. An error that the server reports keeps the
// server's own number (18456 login failed, 4060 database cannot be opened, 15010 no such database,
// 102 syntax error, ...) and its message. The others reuse the numbers the classic ADO and
// SQLOLEDB stack gave for the same case, because support staff know them.
namespace database_error {
// A result without rows has no current row to read.
inline constexpr std::int32_t kNoCurrentRecord = 3021;
// Field() with a column the row does not have.
inline constexpr std::int32_t kColumnNotFound = 3265;
// An operation on a connection or recordset that is not open, or a command without a result set.
inline constexpr std::int32_t kObjectClosed = 3704;
// Open on a connection or recordset that is already open.
inline constexpr std::int32_t kObjectOpen = 3705;
// A provider that is not SQL Server's, or no ODBC driver for SQL Server on this machine.
inline constexpr std::int32_t kProviderNotFound = 3706;
// A recordset opened on a connection that is not open.
inline constexpr std::int32_t kConnectionNotOpen = 3709;
// A connection string that cannot be read, or a value that cannot be passed to the driver.
inline constexpr std::int32_t kBadConnectionString = -2147217805;
// The login or a command took longer than DatabaseTimeouts allows.
inline constexpr std::int32_t kTimeout = -2147217871;
// The server cannot be reached, the connection dropped, or the driver failed without a server
// error number.
inline constexpr std::int32_t kDriverFailure = -2147467259;
}  // namespace database_error

}  // namespace kestrel
