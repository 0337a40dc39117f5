#pragma once

#include <string>
#include <vector>

#include "connection/odbc/odbc_handle.h"

namespace kestrel {

// The names of the ODBC drivers installed on this machine, as the driver manager lists them.
std::vector<std::u16string> InstalledOdbcDrivers(const OdbcHandle& environment);

}  // namespace kestrel
