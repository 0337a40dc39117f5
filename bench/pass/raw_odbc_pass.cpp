#include "bench/pass/raw_odbc_pass.h"

#include <sql.h>
#include <sqlext.h>

#include <stdexcept>

namespace {

SQLWCHAR* Text(const std::u16string& text) {
    return reinterpret_cast<SQLWCHAR*>(const_cast<char16_t*>(text.c_str()));
}

void Check(SQLRETURN rc, const char* what) {
    if (!SQL_SUCCEEDED(rc)) {
        throw std::runtime_error(what);
    }
}

std::u16string Column(SQLHSTMT statement, SQLUSMALLINT column) {
    SQLWCHAR buffer[512];
    SQLLEN length = 0;
    Check(SQLGetData(statement, column, SQL_C_WCHAR, buffer, sizeof buffer, &length), "get");
    return length < 0 ? u""
                      : std::u16string(reinterpret_cast<char16_t*>(buffer),
                                       std::size_t(length) / sizeof(SQLWCHAR));
}

}  // namespace

RawOdbcPass::RawOdbcPass(const std::u16string& odbcConnectionString) {
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &m_environment);
    SQLSetEnvAttr(m_environment, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3),
                  0);
    SQLAllocHandle(SQL_HANDLE_DBC, m_environment, &m_connection);
    Check(SQLDriverConnectW(m_connection, nullptr, Text(odbcConnectionString), SQL_NTS, nullptr, 0,
                            nullptr, SQL_DRIVER_NOPROMPT),
          "connect");
}

RawOdbcPass::~RawOdbcPass() {
    SQLDisconnect(m_connection);
    SQLFreeHandle(SQL_HANDLE_DBC, m_connection);
    SQLFreeHandle(SQL_HANDLE_ENV, m_environment);
}

std::u16string RawOdbcPass::Run(const std::u16string& database) {
    SQLHSTMT statement = nullptr;
    SQLAllocHandle(SQL_HANDLE_STMT, m_connection, &statement);
    Check(SQLExecDirectW(statement,
                         Text(u"SELECT  SERVERPROPERTY('productversion'), SERVERPROPERTY "
                              u"('productlevel'), SERVERPROPERTY ('edition')"),
                         SQL_NTS),
          "property query");
    Check(SQLFetch(statement), "fetch");
    for (SQLUSMALLINT column = 1; column <= 3; ++column) {
        Column(statement, column);
    }
    SQLCloseCursor(statement);
    Check(SQLExecDirectW(statement, Text(u"sp_helpdb N'" + database + u"'"), SQL_NTS), "sp_helpdb");
    Check(SQLFetch(statement), "fetch");
    Column(statement, 1);
    Column(statement, 2);
    Check(SQLMoreResults(statement), "second result");
    Check(SQLFetch(statement), "fetch");
    std::u16string file = Column(statement, 3);
    SQLFreeHandle(SQL_HANDLE_STMT, statement);
    return file;
}
