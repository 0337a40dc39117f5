#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "connection/odbc/odbc_api.h"

namespace kestrel {

// One diagnostic record of an ODBC call.
struct OdbcDiagnostic {
    std::u16string sqlState;  // five characters, e.g. u"08001"
    std::int32_t nativeError = 0;
    std::u16string message;  // as the driver gives it, with its "[vendor][component]" prefixes
};

// A failed ODBC call, with what the handle reported about it.
struct OdbcError {
    std::vector<OdbcDiagnostic> diagnostics;
};

// The first records of the handle's diagnostics, enough to describe a failure.
std::vector<OdbcDiagnostic> ReadOdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle);

// Whether the record says that the connection to the server broke: the standard 08S01, or the
// FreeTDS library's own "read failed", "write failed" and "unexpected EOF", which it posts as
// mere warnings (01000), sometimes beside a half-read row or message.
bool ReportsBrokenConnection(const OdbcDiagnostic& diagnostic);

// Whether the record says that the driver manager could not load the driver: the standard IM002 to
// IM004, or unixODBC's "Can't open lib", which it posts as a mere warning (01000).
bool ReportsDriverNotLoaded(const OdbcDiagnostic& diagnostic);

}  // namespace kestrel
