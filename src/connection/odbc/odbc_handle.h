#pragma once

#include <utility>

#include "connection/odbc/odbc_api.h"

namespace kestrel {

// Owns one ODBC handle (environment, connection or statement) and frees it. A connection handle
// must be disconnected before it goes.
class OdbcHandle {
public:
    // Allocates a handle of `type` under `parent`; throws OdbcError when ODBC cannot.
    OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
    ~OdbcHandle();
    OdbcHandle(OdbcHandle&& other) noexcept
        : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr)) {}
    OdbcHandle& operator=(OdbcHandle&&) = delete;
    OdbcHandle(const OdbcHandle&) = delete;
    OdbcHandle& operator=(const OdbcHandle&) = delete;

    SQLHANDLE get() const { return m_handle; }
    SQLSMALLINT type() const { return m_type; }

    // Throws OdbcError with this handle's diagnostics unless `result` is a success.
    void Check(SQLRETURN result) const;

private:
    SQLSMALLINT m_type;
    SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// An ODBC 3 environment of its own, so that no connection shares anything with another.
OdbcHandle NewOdbcEnvironment();

}  // namespace kestrel
