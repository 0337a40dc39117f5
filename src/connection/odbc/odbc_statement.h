#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "connection/odbc/odbc_handle.h"

namespace kestrel {

// One forward-only, read-only statement on a connected connection handle. Every failed call
// throws OdbcError.
class OdbcStatement {
public:
    OdbcStatement(const OdbcHandle& connection, std::chrono::seconds queryTimeout);

    // Runs the command; false when it produced no result at all.
    bool Execute(std::u16string_view command);
    // The columns of the current result; none for a result that is only a row count.
    int ColumnCount() const;
    // Moves to the next row; false past the last one.
    bool Fetch();
    // Column `column` (from 1) of the current row as text, whatever its SQL type; no value for
    // Null. At most `maxChars` characters are read: the rest of a longer value stays with the
    // driver. Each column can be read once per row.
    std::optional<std::u16string> Text(int column, std::size_t maxChars);
    // Moves to the next result; false when there is none.
    bool MoreResults();

private:
    OdbcHandle m_handle;
};

}  // namespace kestrel
