#include "connection/odbc/odbc_diagnostics.h"

#include <algorithm>

namespace kestrel {

std::vector<OdbcDiagnostic> ReadOdbcDiagnostics(SQLSMALLINT handleType, SQLHANDLE handle) {
    // A message shows one record, and a server can send any number of them: the first few do.
    constexpr SQLSMALLINT kRecordsRead = 8;
    // Room for any SQL Server message at the first read.
    constexpr std::size_t kMessageChars = 2048;
    std::vector<OdbcDiagnostic> diagnostics;
    for (SQLSMALLINT record = 1; record <= kRecordsRead; ++record) {
        SQLWCHAR state[6] = {};
        SQLINTEGER nativeError = 0;
        SQLSMALLINT length = 0;
        std::u16string message(kMessageChars, u'\0');
        SQLRETURN result = SQLGetDiagRecW(handleType, handle, record, state, &nativeError,
                                          OdbcText(message), SQLSMALLINT(message.size()), &length);
        if (SQL_SUCCEEDED(result) && std::size_t(length) >= message.size()) {
            message.assign(std::min<std::size_t>(std::size_t(length) + 1, 32767), u'\0');
            result = SQLGetDiagRecW(handleType, handle, record, state, &nativeError,
                                    OdbcText(message), SQLSMALLINT(message.size()), &length);
        }
        if (!SQL_SUCCEEDED(result)) {
            break;
        }
        message.resize(std::min<std::size_t>(std::size_t(std::max<SQLSMALLINT>(length, 0)),
                                             message.size() - 1));
        diagnostics.push_back({FromOdbcText(state, 5), std::int32_t(nativeError), message});
    }
    return diagnostics;
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

bool ReportsDriverNotLoaded(const OdbcDiagnostic& diagnostic) {
    return diagnostic.sqlState == u"IM002" || diagnostic.sqlState == u"IM003" ||
           diagnostic.sqlState == u"IM004" ||
           diagnostic.message.find(u"Can't open lib") != std::u16string::npos;
}

}  // namespace kestrel
