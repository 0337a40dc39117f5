#include "connection/odbc_diagnostics.h"

#include <algorithm>

namespace kestrel {

std::vector<OdbcDiagnostic> ReadOdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    std::vector<OdbcDiagnostic> diagnostics;
    for (SQLSMALLINT record = 1;; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        SQLRETURN result =
            SQLGetDiagRecW(handleType, handle, record, state, &nativeError, nullptr, 0, &length);
        if (!SQL_SUCCEEDED(result)) {
            return diagnostics;
        }
        std::u16string message(std::size_t(length) + 1, u'\0');
        result = SQLGetDiagRecW(handleType, handle, record, state, &nativeError, OdbcText(message),
                                SQLSMALLINT(message.size()), &length);
        if (!SQL_SUCCEEDED(result)) {
            return diagnostics;
        }
        message.resize(std::min<std::size_t>(std::size_t(length), message.size() - 1));
        diagnostics.push_back({FromOdbcText(state, 5), std::int32_t(nativeError), message});
    }
}

bool ReportsBrokenConnection(const OdbcDiagnostic& diagnostic) {
    constexpr std::int32_t kFreeTdsReadFailed = 20004;
    constexpr std::int32_t kFreeTdsWriteFailed = 20006;
    constexpr std::int32_t kFreeTdsUnexpectedEof = 20017;
    if (diagnostic.sqlState == u"08S01") {
        return true;
    }
    const bool clientWarning =
        diagnostic.sqlState.starts_with(u"01") || diagnostic.sqlState.starts_with(u"08");
    return clientWarning && (diagnostic.nativeError == kFreeTdsReadFailed ||
                             diagnostic.nativeError == kFreeTdsWriteFailed ||
                             diagnostic.nativeError == kFreeTdsUnexpectedEof);
}

}  // namespace kestrel
