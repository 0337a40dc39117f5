#pragma once

// Diagnostic records of failed log-on attempts as the driver managers (unixODBC, Windows'),
// FreeTDS and Microsoft's drivers give them: one set for each way an attempt can fail.
#include <vector>

#include "connection/odbc/odbc_diagnostics.h"

namespace odbc_records {

using Records = std::vector<kestrel::OdbcDiagnostic>;

const Records kLibraryMissing = {
    {u"01000", 0,
     u"[unixODBC][Driver Manager]Can't open lib '/opt/microsoft/msodbcsql18/lib64/"
     u"libmsodbcsql-18.3.so.2.1' : file not found"}};
const Records kNotRegistered = {
    {u"IM002", 0, u"[Microsoft][ODBC Driver Manager] Data source name not found"}};
const Records kTooOld = {
    {u"08001", 0,
     u"[Microsoft][ODBC Driver 18 for SQL Server]ODBC Driver 18 for SQL Server "
     u"does not support connections to SQL Server 2000 or earlier versions."}};
const Records kTlsRefused = {
    {u"08001", 18, u"[Microsoft][ODBC SQL Server Driver][DBNETLIB]SSL Security error"},
    {u"01000", 772,
     u"[Microsoft][ODBC SQL Server Driver][DBNETLIB]ConnectionOpen (SECDoClientHandshake())."}};
const Records kClosedAtPreLogin = {
    {u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"},
    {u"01000", 20017, u"[FreeTDS][SQL Server]Unexpected EOF from the server"},
    {u"01000", 20002, u"[FreeTDS][SQL Server]Adaptive Server connection failed"}};
const Records kGarbageAtPreLogin = {
    {u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"},
    {u"01000", 20002, u"[FreeTDS][SQL Server]Adaptive Server connection failed"}};
const Records kLoginRefused = {
    {u"28000", 18456, u"[FreeTDS][SQL Server]Login failed for user 'sa'."},
    {u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"},
    {u"01000", 20002, u"[FreeTDS][SQL Server]Adaptive Server connection failed"}};
const Records kNoListener = {
    {u"08S01", 20009,
     u"[FreeTDS][SQL Server]Unable to connect: Adaptive Server is unavailable or does not exist"},
    {u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"}};
const Records kUnknownHost = {
    {u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"},
    {u"01000", 20013, u"[FreeTDS][SQL Server]Unknown host machine name."}};
const Records kMicrosoftRefusedTcp = {
    {u"08001", 10061,
     u"[Microsoft][ODBC Driver 17 for SQL Server]TCP Provider: No connection could be made "
     u"because the target machine actively refused it."}};
const Records kTimedOut = {{u"HYT00", 0, u"[FreeTDS][SQL Server]Timeout expired"}};

}  // namespace odbc_records
