#include "connection/odbc/odbc_handle.h"

#include "connection/odbc/odbc_diagnostics.h"

namespace kestrel {

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
    const SQLRETURN result = SQLAllocHandle(type, parent, &m_handle);
    if (!SQL_SUCCEEDED(result)) {
        m_handle = SQL_NULL_HANDLE;
        const SQLSMALLINT parentType = type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV;
        throw OdbcError{parent == SQL_NULL_HANDLE ? std::vector<OdbcDiagnostic>{}
                                                  : ReadOdbcDiagnostics(parentType, parent)};
    }
}

OdbcHandle::~OdbcHandle() {
    if (m_handle != SQL_NULL_HANDLE) {
        SQLFreeHandle(m_type, m_handle);
    }
}

void OdbcHandle::Check(SQLRETURN result) const {
    if (!SQL_SUCCEEDED(result)) {
        throw OdbcError{ReadOdbcDiagnostics(m_type, m_handle)};
    }
}

OdbcHandle NewOdbcEnvironment() {
    // Pooling is a process-wide setting on Windows; off, a new Connection always logs in anew.
    SQLSetEnvAttr(SQL_NULL_HANDLE, SQL_ATTR_CONNECTION_POOLING,
                  reinterpret_cast<SQLPOINTER>(SQL_CP_OFF), SQL_IS_UINTEGER);
    OdbcHandle environment(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    environment.Check(SQLSetEnvAttr(environment.get(), SQL_ATTR_ODBC_VERSION,
                                    reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0));
    return environment;
}

}  // namespace kestrel
