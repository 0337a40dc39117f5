#pragma once

#include "connection/odbc/odbc_api.h"

// Every function of the ODBC driver manager that the program calls, as
// X(name, (parameters), (arguments)). The driver manager is loaded when the first of them is called
// (odbc_driver_manager.cpp): its library is mapped only once a connection is asked for, and on
// Windows it comes from the system folder, never from the program's own.
#define KESTREL_ODBC_ENTRY_POINTS(X)                                                             \
    X(SQLAllocHandle, (SQLSMALLINT type, SQLHANDLE parent, SQLHANDLE * handle),                  \
      (type, parent, handle))                                                                    \
    X(SQLCloseCursor, (SQLHSTMT statement), (statement))                                         \
    X(SQLDisconnect, (SQLHDBC connection), (connection))                                         \
    X(SQLDriverConnectW,                                                                         \
      (SQLHDBC connection, SQLHWND window, SQLWCHAR * in, SQLSMALLINT inLength, SQLWCHAR * out,  \
       SQLSMALLINT outSize, SQLSMALLINT * outLength, SQLUSMALLINT completion),                   \
      (connection, window, in, inLength, out, outSize, outLength, completion))                   \
    X(SQLDriversW,                                                                               \
      (SQLHENV environment, SQLUSMALLINT direction, SQLWCHAR * name, SQLSMALLINT nameSize,       \
       SQLSMALLINT * nameLength, SQLWCHAR * attributes, SQLSMALLINT attributesSize,              \
       SQLSMALLINT * attributesLength),                                                          \
      (environment, direction, name, nameSize, nameLength, attributes, attributesSize,           \
       attributesLength))                                                                        \
    X(SQLExecDirectW, (SQLHSTMT statement, SQLWCHAR * text, SQLINTEGER length),                  \
      (statement, text, length))                                                                 \
    X(SQLFetch, (SQLHSTMT statement), (statement))                                               \
    X(SQLFreeHandle, (SQLSMALLINT type, SQLHANDLE handle), (type, handle))                       \
    X(SQLGetConnectAttrW,                                                                        \
      (SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER size,              \
       SQLINTEGER * length),                                                                     \
      (connection, attribute, value, size, length))                                              \
    X(SQLGetData,                                                                                \
      (SQLHSTMT statement, SQLUSMALLINT column, SQLSMALLINT type, SQLPOINTER value, SQLLEN size, \
       SQLLEN * indicator),                                                                      \
      (statement, column, type, value, size, indicator))                                         \
    X(SQLGetDiagRecW,                                                                            \
      (SQLSMALLINT type, SQLHANDLE handle, SQLSMALLINT record, SQLWCHAR * state,                 \
       SQLINTEGER * nativeError, SQLWCHAR * message, SQLSMALLINT size, SQLSMALLINT * length),    \
      (type, handle, record, state, nativeError, message, size, length))                         \
    X(SQLGetInfoW,                                                                               \
      (SQLHDBC connection, SQLUSMALLINT info, SQLPOINTER value, SQLSMALLINT size,                \
       SQLSMALLINT * length),                                                                    \
      (connection, info, value, size, length))                                                   \
    X(SQLMoreResults, (SQLHSTMT statement), (statement))                                         \
    X(SQLNumResultCols, (SQLHSTMT statement, SQLSMALLINT * columns), (statement, columns))       \
    X(SQLSetConnectAttrW,                                                                        \
      (SQLHDBC connection, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length),           \
      (connection, attribute, value, length))                                                    \
    X(SQLSetEnvAttr,                                                                             \
      (SQLHENV environment, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length),          \
      (environment, attribute, value, length))                                                   \
    X(SQLSetStmtAttrW,                                                                           \
      (SQLHSTMT statement, SQLINTEGER attribute, SQLPOINTER value, SQLINTEGER length),           \
      (statement, attribute, value, length))
