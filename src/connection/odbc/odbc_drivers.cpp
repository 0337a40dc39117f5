#include "connection/odbc/odbc_drivers.h"

#include <algorithm>

namespace kestrel {

std::vector<std::u16string> InstalledOdbcDrivers(const OdbcHandle& environment) {
    std::vector<std::u16string> drivers;
    SQLUSMALLINT direction = SQL_FETCH_FIRST;
    while (true) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLength = 0;
        SQLSMALLINT attributesLength = 0;
        const SQLRETURN result = SQLDriversW(environment.get(), direction, name, 256, &nameLength,
                                             nullptr, 0, &attributesLength);
        if (result == SQL_NO_DATA) {
            return drivers;
        }
        environment.Check(result);
        // A longer name is truncated and can be none of the names we look for.
        drivers.push_back(FromOdbcText(name, std::min<std::size_t>(std::size_t(nameLength), 255)));
        direction = SQL_FETCH_NEXT;
    }
}

}  // namespace kestrel
