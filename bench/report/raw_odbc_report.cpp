// The floor for `kestrel --relatorio` as a whole process: one ODBC connection to the server that
// Quintara's settings name, with the connection string Kestrel hands to FreeTDS, the same two
// statements and reads, the file name printed. The server's port and the password come in
// KESTREL_BENCH_PORT and KESTREL_BENCH_PASSWORD, so that no listing shows the password.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "base/utf8.h"
#include "bench/pass/raw_odbc_pass.h"
#include "connection/odbc/driver_connection_string.h"
#include "connection/ole_db/connection_string.h"

int main() {
    const char* port = std::getenv("KESTREL_BENCH_PORT");
    const char* password = std::getenv("KESTREL_BENCH_PASSWORD");
    if (port == nullptr || password == nullptr) {
        std::fprintf(stderr, "KESTREL_BENCH_PORT and KESTREL_BENCH_PASSWORD are needed\n");
        return 2;
    }
    const std::u16string oleDb = kestrel::FromUtf8(
        std::string(
            "Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Quintara;Data Source=127.0.0.1,") +
        port + ";Network Library=dbmssocn");
    RawOdbcPass raw(kestrel::DriverConnectionString(
        kestrel::DescribeConnection(oleDb, u"", kestrel::FromUtf8(password)), u"FreeTDS"));
    std::printf("%s\n", kestrel::Utf8(raw.Run(u"Quintara")).c_str());
    return 0;
}
