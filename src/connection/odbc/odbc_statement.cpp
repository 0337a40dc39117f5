#include "connection/odbc/odbc_statement.h"

#include <algorithm>

#include "connection/odbc/odbc_diagnostics.h"

namespace kestrel {

namespace {

void SetAttribute(const OdbcHandle& statement, SQLINTEGER attribute, SQLULEN value) {
    statement.Check(
        SQLSetStmtAttrW(statement.get(), attribute, reinterpret_cast<SQLPOINTER>(value), 0));
}

}  // namespace

OdbcStatement::OdbcStatement(const OdbcHandle& connection, std::chrono::seconds queryTimeout)
    : m_handle(SQL_HANDLE_STMT, connection.get()) {
    SetAttribute(m_handle, SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_FORWARD_ONLY);
    SetAttribute(m_handle, SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY);
    SetAttribute(m_handle, SQL_ATTR_QUERY_TIMEOUT, SQLULEN(queryTimeout.count()));
}

bool OdbcStatement::Execute(std::u16string_view command) {
    const SQLRETURN result =
        SQLExecDirectW(m_handle.get(), OdbcText(command), SQLINTEGER(command.size()));
    if (result == SQL_NO_DATA) {
        return false;
    }
    m_handle.Check(result);
    return true;
}

int OdbcStatement::ColumnCount() const {
    SQLSMALLINT columns = 0;
    m_handle.Check(SQLNumResultCols(m_handle.get(), &columns));
    return columns;
}

bool OdbcStatement::Fetch() {
    const SQLRETURN result = SQLFetch(m_handle.get());
    if (result == SQL_NO_DATA) {
        return false;
    }
    m_handle.Check(result);
    // FreeTDS hands out a row cut short by a broken connection, with only a warning.
    if (result == SQL_SUCCESS_WITH_INFO) {
        std::vector<OdbcDiagnostic> diagnostics =
            ReadOdbcDiagnostics(SQL_HANDLE_STMT, m_handle.get());
        for (const OdbcDiagnostic& diagnostic : diagnostics) {
            if (ReportsBrokenConnection(diagnostic)) {
                throw OdbcError{std::move(diagnostics)};
            }
        }
    }
    return true;
}

// Every type is asked for as wide text, in pieces for long values: this gives the whole text of an
// sql_variant too, such as SERVERPROPERTY's.
std::optional<std::u16string> OdbcStatement::Text(int column, std::size_t maxChars) {
    constexpr SQLLEN kPieceChars = 256;
    SQLWCHAR piece[kPieceChars];
    std::u16string text;
    while (text.size() < maxChars) {
        SQLLEN indicator = 0;
        const SQLRETURN result = SQLGetData(m_handle.get(), SQLUSMALLINT(column), SQL_C_WCHAR,
                                            piece, sizeof piece, &indicator);
        if (result == SQL_NO_DATA) {
            return text;
        }
        m_handle.Check(result);
        if (indicator == SQL_NULL_DATA) {
            return std::nullopt;
        }
        const bool truncated =
            indicator == SQL_NO_TOTAL || indicator > SQLLEN(sizeof piece - sizeof(SQLWCHAR));
        const std::size_t chars =
            truncated ? kPieceChars - 1 : std::size_t(indicator) / sizeof(SQLWCHAR);
        text += FromOdbcText(piece, std::min(chars, maxChars - text.size()));
        if (!truncated) {
            return text;
        }
    }
    return text;
}

bool OdbcStatement::MoreResults() {
    const SQLRETURN result = SQLMoreResults(m_handle.get());
    if (result == SQL_NO_DATA) {
        return false;
    }
    m_handle.Check(result);
    return true;
}

}  // namespace kestrel
