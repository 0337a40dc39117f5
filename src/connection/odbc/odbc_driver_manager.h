#pragma once

#include <string_view>

#include "connection/odbc/odbc_entry_points.h"

namespace kestrel {

// The driver manager's functions, resolved from one loaded library.
struct OdbcEntryPoints {
#define KESTREL_ODBC_POINTER(name, parameters, arguments) decltype(&::name) name = nullptr;
    KESTREL_ODBC_ENTRY_POINTS(KESTREL_ODBC_POINTER)
#undef KESTREL_ODBC_POINTER
};

// Loads the driver manager `library` (on Windows a file of the system folder) and resolves every
// entry point; throws a Failure that says which is missing when it cannot. The library stays loaded
// for the program's life.
OdbcEntryPoints LoadOdbcEntryPoints(std::string_view library);

// The system's driver manager (unixODBC's libodbc.so.2, Windows' odbc32.dll), loaded on first use
// and, after a failure, tried again on the next.
const OdbcEntryPoints& OdbcDriverManager();

}  // namespace kestrel
