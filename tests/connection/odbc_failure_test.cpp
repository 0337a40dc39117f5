#include "connection/odbc/odbc_failure.h"

#include <gtest/gtest.h>

#include "connection/database_error.h"
#include "support/odbc_records.h"

using kestrel::DatabaseStep;
using kestrel::OdbcDiagnostic;
namespace database_error = kestrel::database_error;

namespace {

struct Case {
    const char* what;
    DatabaseStep step;
    std::vector<OdbcDiagnostic> diagnostics;
    std::int32_t number;
    std::u16string description;
    bool connectionDead = false;
};

// Records as FreeTDS and the driver managers report them.
const std::u16string kDropped =
    u"A conexão com o servidor SQL Server \"srv,1433\" foi interrompida. Verifique a rede e se o "
    u"servidor continua em execução.";
const std::u16string kCannotOpen =
    u"Cannot open database \"Nada\" requested by the login. The login failed.";
const OdbcDiagnostic kUnableToConnect{u"08001", 0,
                                      u"[FreeTDS][SQL Server]Unable to connect to data source"};
// clang-format off
const Case kCases[] = {
    {"a database that cannot be opened explains the refused login", DatabaseStep::Connecting,
     {{u"42000", 18456, u"[FreeTDS][SQL Server]Login failed for user 'sa'."}, {u"42000", 4060, u"[FreeTDS][SQL Server]" + kCannotOpen}, kUnableToConnect},
     4060, kCannotOpen},
    {"Microsoft's prefixes go too", DatabaseStep::Running,
     {{u"42000", 102, u"[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]Incorrect syntax near 'x'."}}, 102, u"Incorrect syntax near 'x'."},
    {"the login timeout", DatabaseStep::Connecting, {{u"HYT00", 0, u"[FreeTDS][SQL Server]Timeout expired"}, kUnableToConnect}, database_error::kTimeout,
     u"O servidor SQL Server \"srv,1433\" não respondeu ao login em 15 segundos (tempo esgotado). Verifique se o servidor está em execução e se é acessível pela rede."},
    {"a connection that drops", DatabaseStep::Running, {{u"08S01", 20004, u"[FreeTDS][SQL Server]Read from the server failed"}},
     database_error::kDriverFailure, kDropped + u" (Read from the server failed)"},
    {"a driver that cannot be loaded, in unixODBC's words under a mere warning", DatabaseStep::Connecting, odbc_records::kLibraryMissing,
     database_error::kProviderNotFound, u"O driver ODBC \"FreeTDS\" não pôde ser carregado; reinstale-o."},
    {"another driver failure keeps the driver's words", DatabaseStep::Running, {{u"HY001", 0, u"[FreeTDS][SQL Server]Memory allocation failure"}},
     database_error::kDriverFailure, u"Memory allocation failure"},
    {"no diagnostics at all", DatabaseStep::Connecting, {}, database_error::kDriverFailure,
     u"O driver ODBC falhou sem informar o motivo (servidor SQL Server \"srv,1433\")."},
    {"a server's control and direction characters are shown, not obeyed", DatabaseStep::Running,
     {{u"42000", 50000, u"[FreeTDS][SQL Server]Falha\r\nOK \u202Eabc\x1B[2J"}}, 50000, u"Falha\u240D\u240AOK \uFFFDabc\u241B[2J"},
    {"a server's message no longer than SQL Server's longest", DatabaseStep::Running,
     {{u"42000", 50000, std::u16string(40000, u'x')}}, 50000, std::u16string(2047, u'x') + u"…"},
    {"a dead connection explains a vague error", DatabaseStep::Running, {{u"HY000", 0, u"[FreeTDS][SQL Server]Unknown error"}},
     database_error::kDriverFailure, kDropped, true},
};
// clang-format on

TEST(OdbcFailure, DescribesEachKindOfFailure) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.what);
        const kestrel::Failure failure = kestrel::DescribeOdbcFailure(
            c.diagnostics, {c.step, u"srv,1433", u"FreeTDS", kestrel::Password(u"s3nh4"),
                            std::chrono::seconds(15), c.connectionDead});
        EXPECT_EQ(failure.number, c.number);
        EXPECT_EQ(failure.description, c.description);
    }
}

// Only a password echoed as a connection-string attribute is masked, whatever its length.
TEST(OdbcFailure, MasksOnlyThePasswordAttributesADriverEchoes) {
    struct Case {
        const char* what;
        std::u16string password;
        std::u16string driverText;
        std::u16string shown;
    };
    const Case cases[] = {
        {"a connection string echoed whole", u"s3nh4",
         u"Bad attribute in DRIVER=FreeTDS;UID=sa;PWD=s3nh4;TDS_Version=7.1;",
         u"Bad attribute in DRIVER=FreeTDS;UID=sa;PWD=****;TDS_Version=7.1;"},
        {"a braced value with ; and }}", u"a;b}c", u"x PWD={a;b}}c};UID=sa", u"x PWD=****;UID=sa"},
        {"an OLE DB value in quotes, keyword in any case", u"q'1", u"password = 'q''1'; x",
         u"password = ****; x"},
        {"a bare value that holds ;", u"a;b", u"PWD=a;b;UID=sa", u"PWD=****;UID=sa"},
        {"a value that is not the password in effect", u"x", u"Pwd=other;", u"Pwd=****;"},
        {"the password's text elsewhere is left alone", u"e", u"Login failed for user 'sa'.",
         u"Login failed for user 'sa'."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const kestrel::Failure failure =
            kestrel::DescribeOdbcFailure({{u"HY000", 0, u"[FreeTDS][SQL Server]" + c.driverText}},
                                         {DatabaseStep::Running, u"srv", u"FreeTDS",
                                          kestrel::Password(c.password), std::chrono::seconds(30)});
        EXPECT_EQ(failure.description, c.shown);
    }
    // The password "Server" leaves Kestrel's own sentence whole.
    const kestrel::Failure unreachable = kestrel::DescribeOdbcFailure(
        {{u"08001", 0, u"[FreeTDS][SQL Server]Unable to connect to data source"}},
        {DatabaseStep::Connecting, u"srv", u"FreeTDS", kestrel::Password(u"Server"),
         std::chrono::seconds(15)});
    EXPECT_TRUE(unreachable.description.starts_with(
        u"Não foi possível conectar ao servidor SQL Server \"srv\": ele não foi encontrado"));
}

}  // namespace
