// Connection and Recordset over the real ODBC stack (unixODBC, FreeTDS) against the TDS test
// server on loopback.
#include "connection/database_access.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "base/failure.h"
#include "connection/deadline_worker.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

using kestrel::Connection;
using kestrel::Failure;
using kestrel::Recordset;
namespace database_error = kestrel::database_error;

namespace {

constexpr char kPassword[] = "Senha;1}";
constexpr char16_t kServerPropertyQuery[] =
    u"SELECT SERVERPROPERTY('productversion'), SERVERPROPERTY('productlevel'), "
    u"SERVERPROPERTY('edition')";

// SQL Server 2008 R2 named SRVTESTE (its product level is Null) with the Quintara database;
// `faults` and `extra` are JSON written into the scenario as they are.
std::string ScenarioJson(const std::string& faults = "{}", const std::string& extra = "") {
    return R"json({"server_name": "SRVTESTE",
        "logins": [{"user": "sa", "password": "Senha;1}"}],
        "properties": {"productversion": "10.50.4000.0", "productlevel": null,
                       "edition": "Standard Edition (64-bit)"},
        "databases": [{"name": "Quintara", "db_size": "     150.50 MB", "dbid": 5,
            "files": [{"fileid": 1, "filename": "D:\\Dados\\São Paulo\\Quintara.mdf"},
                      {"fileid": 2, "filename": "D:\\Dados\\São Paulo\\Quintara_log.ldf"}]}],
        )json" +
           extra + R"("faults": )" + faults + "}";
}

std::u16string OleDbString(int port, const std::string& catalog = "Quintara") {
    return U16("Provider=SQLOLEDB.1;Persist Security Info=False;User ID=sa;Initial Catalog=" +
               catalog + ";Data Source=127.0.0.1," + std::to_string(port));
}

std::u16string TrimmedEnd(std::u16string text) {
    text.erase(text.find_last_not_of(u' ') + 1);
    return text;
}

// A loopback port where nothing listens: one that a test server has just given up.
int ClosedPort() {
    const TdsTestServer gone(ScenarioJson());
    return gone.port();
}

template <typename Action>
Failure FailureOf(Action action) {
    try {
        action();
    } catch (const Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << "no Failure";
    return {};
}

TEST(DatabaseAccess, ReadsTheServerPropertiesInFull) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
    ASSERT_TRUE(connection.IsOpen());
    // FreeTDS reports the name the server gives itself, not the address it was told.
    EXPECT_EQ(connection.ServerName(), u"SRVTESTE");
    EXPECT_EQ(connection.CurrentDatabase(), u"Quintara");

    Recordset properties;
    properties.Open(kServerPropertyQuery, connection);
    ASSERT_TRUE(properties.HasRow());
    // sql_variant values, read whole.
    EXPECT_EQ(properties.Field(0), u"10.50.4000.0");
    EXPECT_EQ(properties.Field(1), std::nullopt);
    EXPECT_EQ(properties.Field(2), u"Standard Edition (64-bit)");
    EXPECT_EQ(properties.Field(0), u"10.50.4000.0");
    EXPECT_EQ(FailureOf([&] { properties.Field(3); }).number, database_error::kColumnNotFound);
    EXPECT_EQ(FailureOf([&] { properties.Field(-1); }).number, database_error::kColumnNotFound);
    EXPECT_FALSE(properties.MoveNext());
    EXPECT_EQ(FailureOf([&] { properties.Field(0); }).number, database_error::kNoCurrentRecord);
    EXPECT_FALSE(properties.NextRecordset());
}

// FreeTDS follows the server's database changes; a command that returns no result set has no
// fields.
TEST(DatabaseAccess, CurrentDatabaseFollowsUse) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
    Recordset use;
    use.Open(u"USE master", connection);
    EXPECT_EQ(connection.CurrentDatabase(), u"master");
    EXPECT_FALSE(use.HasRow());
    EXPECT_EQ(FailureOf([&] { use.Field(0); }).number, database_error::kObjectClosed);
    EXPECT_FALSE(use.NextRecordset());
}

TEST(DatabaseAccess, WalksBothResultSetsOfSpHelpdb) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
    Recordset helpdb;
    helpdb.Open(u"sp_helpdb N'Quintara'", connection);
    EXPECT_EQ(helpdb.Field(0), u"Quintara");
    EXPECT_EQ(helpdb.Field(1), u"     150.50 MB");

    ASSERT_TRUE(helpdb.NextRecordset());
    EXPECT_EQ(TrimmedEnd(helpdb.Field(2).value()), U16("D:\\Dados\\São Paulo\\Quintara.mdf"));
    ASSERT_TRUE(helpdb.MoveNext());
    EXPECT_EQ(TrimmedEnd(helpdb.Field(2).value()), U16("D:\\Dados\\São Paulo\\Quintara_log.ldf"));
    EXPECT_FALSE(helpdb.MoveNext());
    EXPECT_FALSE(helpdb.NextRecordset());

    helpdb.Close();
    helpdb.Open(u"SELECT DB_NAME()", connection);
    EXPECT_EQ(helpdb.Field(0), u"Quintara");
}

TEST(DatabaseAccess, ResultsWithoutRowsOrWithoutASecondSet) {
    {
        TdsTestServer server(ScenarioJson(R"({"empty_result": "serverproperty"})"));
        Connection connection;
        connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
        Recordset properties;
        properties.Open(kServerPropertyQuery, connection);
        EXPECT_FALSE(properties.HasRow());
        const Failure failure = FailureOf([&] { properties.Field(0); });
        EXPECT_EQ(failure.number, database_error::kNoCurrentRecord);
        EXPECT_EQ(failure.description,
                  u"Não há registro atual: o resultado da consulta não tem (mais) linhas.");
    }
    {
        TdsTestServer server(ScenarioJson(R"({"no_second_result": true})"));
        Connection connection;
        connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
        Recordset helpdb;
        helpdb.Open(u"EXEC sp_helpdb 'Quintara'", connection);
        EXPECT_EQ(helpdb.Field(0), u"Quintara");
        EXPECT_FALSE(helpdb.NextRecordset());
    }
}

TEST(DatabaseAccess, OpenFailures) {
    struct Case {
        const char* what;
        std::string faults;
        std::string catalog;
        std::string password;
        bool closedPort;
        std::int32_t number;
        std::u16string description;  // the start of it
    };
    const Case cases[] = {
        {"wrong password", "{}", "Quintara", "Senha;2}", false, 18456,
         u"Login failed for user 'sa'."},
        {"unknown initial catalog", "{}", "Nada", kPassword, false, 4060,
         u"Cannot open database \"Nada\" requested by the login."},
        {"nothing listens on the port", "{}", "Quintara", kPassword, true,
         database_error::kDriverFailure, u"Não foi possível conectar ao servidor SQL Server"},
        {"the server closes the socket in the middle of the login answer",
         R"({"close_on": "login"})", "Quintara", kPassword, false, database_error::kDriverFailure,
         u"A conexão com o servidor SQL Server \"127.0.0.1,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TdsTestServer server(ScenarioJson(c.faults));
        Connection connection;
        const int port = c.closedPort ? ClosedPort() : server.port();
        const Failure failure = FailureOf(
            [&] { connection.Open(OleDbString(port, c.catalog), u"sa", U16(c.password)); });
        EXPECT_EQ(failure.number, c.number);
        EXPECT_TRUE(failure.description.starts_with(c.description))
            << testing::PrintToString(failure.description);
        EXPECT_EQ(failure.description.find(U16(c.password)), std::u16string::npos);
        EXPECT_FALSE(connection.IsOpen());
        Recordset unusable;
        EXPECT_EQ(FailureOf([&] { unusable.Open(u"SELECT 1", connection); }).number,
                  database_error::kConnectionNotOpen);
        EXPECT_EQ(FailureOf([&] { connection.ServerName(); }).number,
                  database_error::kObjectClosed);
    }
}

// Whatever the server does, the log-on and each command end at their timeouts in wall-clock time,
// with a message that gives that time; the connection is then given up and says so, and the
// program goes on: the next connection does not wait for the driver still held by this one.
TEST(DatabaseAccess, EveryWaitEndsAtItsTimeout) {
    struct Case {
        const char* what;
        std::string faults;
        bool duringLogin;
    };
    const Case cases[] = {
        {"a server that never answers the log-on", R"({"stall": true})", true},
        {"a log-on answer dripping a byte a second", R"({"drip_on": "login"})", true},
        {"a server that stops answering after the log-on", R"({"stall_after_login": true})", false},
        {"half an answer", R"({"half_answer_on": "serverproperty"})", false},
        {"an sql_variant longer than what comes", R"({"false_variant_length": true})", false},
        {"an answer dripping a byte a second", R"({"drip_on": "serverproperty"})", false},
    };
    TdsTestServer healthy(ScenarioJson());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TdsTestServer server(ScenarioJson(c.faults));
        Connection connection({std::chrono::seconds(2), std::chrono::seconds(2)});
        const auto start = std::chrono::steady_clock::now();
        const Failure failure = FailureOf([&] {
            connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
            Recordset properties;
            properties.Open(kServerPropertyQuery, connection);
        });
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(1900));
        EXPECT_LT(waited, std::chrono::seconds(12));
        const std::u16string where =
            u"O servidor SQL Server \"127.0.0.1," + U16(std::to_string(server.port())) + u"\" ";
        EXPECT_EQ(failure.number, database_error::kTimeout);
        EXPECT_EQ(
            failure.description,
            where + (c.duringLogin ? u"não respondeu ao login em 2 segundos (tempo esgotado). "
                                     u"Verifique se o servidor está em execução e se é acessível "
                                     u"pela rede."
                                   : u"não concluiu o comando em 2 segundos (tempo esgotado)."));
        EXPECT_FALSE(connection.IsOpen());
        if (!c.duringLogin) {
            Recordset later;
            const Failure refused = FailureOf([&] { later.Open(u"SELECT 1", connection); });
            EXPECT_EQ(refused.number, database_error::kConnectionNotOpen);
            EXPECT_TRUE(refused.description.ends_with(
                u"não pode mais ser usada: o servidor deixou de responder a tempo. Conecte-se de "
                u"novo."));
        }
        Connection next;
        next.Open(OleDbString(healthy.port()), u"sa", U16(kPassword));
        Recordset answer;
        answer.Open(u"SELECT DB_NAME()", next);
        EXPECT_EQ(answer.Field(0), u"Quintara");
    }
    // Each faulty server has gone; the threads its driver held have let go and ended.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (kestrel::DeadlineWorker::RunningThreads() > 0 &&
           std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_EQ(kestrel::DeadlineWorker::RunningThreads(), 0);
}

TEST(DatabaseAccess, CommandFailures) {
    struct Case {
        const char* what;
        std::string faults;
        std::u16string command;
        std::int32_t number;
        std::u16string description;  // the start of it
    };
    const Case cases[] = {
        {"unknown database for sp_helpdb", "{}", u"sp_helpdb N'Nada'", 15010,
         u"The database 'Nada' does not exist."},
        {"syntax error", "{}", u"sp_helpdb Quintara xx", 102, u"Incorrect syntax near 'xx'."},
        {"the server closes the socket in the middle of the answer",
         R"({"close_on": "serverproperty"})", kServerPropertyQuery, database_error::kDriverFailure,
         u"A conexão com o servidor SQL Server"},
        {"the server takes longer than the query timeout", R"({"delay_ms": 4000})",
         kServerPropertyQuery, database_error::kTimeout, u"O servidor SQL Server \"127.0.0.1,"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TdsTestServer server(ScenarioJson(c.faults));
        Connection connection({std::chrono::seconds(5), std::chrono::seconds(1)});
        connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
        Recordset recordset;
        const Failure failure = FailureOf([&] { recordset.Open(c.command, connection); });
        EXPECT_EQ(failure.number, c.number);
        EXPECT_TRUE(failure.description.starts_with(c.description))
            << testing::PrintToString(failure.description);
    }
}

std::u16string ToServer(const std::string& dataSource) {
    return U16("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=Quintara;Data Source=" + dataSource);
}

// Every way a technician writes a server reaches it: a plain host on port 1433, a named instance on
// the port its SQL Server Browser gives, a port as written.
TEST(DatabaseAccess, ReachesTheServerByEveryFormOfItsName) {
    const TdsTestServer onDefaultPort(ScenarioJson("{}", R"("address": "own", "port": 1433,)"));
    const TdsTestServer instance(
        ScenarioJson("{}", R"("address": "own", "browser": {"instances": ["QUINTARA"]},)"));
    const std::string plain = onDefaultPort.address();
    const std::string named = instance.address();
    const std::string port = std::to_string(instance.port());
    const struct {
        std::string dataSource;
        const TdsTestServer& server;
        bool asksTheBrowser;
    } forms[] = {
        {plain, onDefaultPort, false},
        {"tcp:" + plain, onDefaultPort, false},
        {plain + ",1433", onDefaultPort, false},
        {named + "," + port, instance, false},
        {named + "\\QUINTARA", instance, true},
        {"tcp:" + named + "\\quintara", instance, true},
        {named + "\\QUINTARA," + port, instance, false},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.dataSource);
        const std::size_t logins = form.server.count("LOGIN OK");
        const std::size_t questions = instance.count("BROWSER INSTANCE");
        Connection connection;
        EXPECT_NO_THROW(connection.Open(ToServer(form.dataSource), u"", U16(kPassword)));
        EXPECT_EQ(form.server.count("LOGIN OK"), logins + 1);
        EXPECT_EQ(instance.count("BROWSER INSTANCE") - questions, form.asksTheBrowser ? 1u : 0u);
    }
}

// "(local)", ".", "localhost" and an empty name are this machine's default instance: port 1433 of
// 127.0.0.1 itself, which another program may hold.
TEST(DatabaseAccess, ThisMachineIsPort1433OfTheLoopbackAddress) {
    std::unique_ptr<TdsTestServer> server;
    try {
        server = std::make_unique<TdsTestServer>(ScenarioJson("{}", R"("port": 1433,)"));
    } catch (const TdsServerPortTaken&) {
        GTEST_SKIP() << "127.0.0.1:1433 is taken on this machine; (local), \".\", localhost and "
                        "an empty server name are tried only where it is free";
    }
    for (const char* dataSource : {"(local)", ".", "localhost", "tcp:(local)", ""}) {
        SCOPED_TRACE(dataSource);
        Connection connection;
        EXPECT_NO_THROW(connection.Open(ToServer(dataSource), u"", U16(kPassword)));
    }
    EXPECT_EQ(server->count("LOGIN OK"), 5u);
}

// A real Browser does not answer for an instance it does not have; FreeTDS alone would ask for 16
// seconds, past the log-on bound.
TEST(DatabaseAccess, ANamedInstanceWithoutAPortFailsWithinTheLoginBound) {
    const struct {
        const char* what;
        std::string scenario;
        std::string instance;
        std::u16string description;  // after the host's name
    } cases[] = {
        {"the Browser does not know the instance",
         R"("browser": {"instances": ["QUINTARA", "TREINO"]},)", "OUTRA",
         u"\" respondeu, mas não conhece a instância \"OUTRA\". Instâncias desse servidor: "
         u"QUINTARA, TREINO. Verifique o nome da instância."},
        {"the Browser is silent", R"("browser": {"instances": ["QUINTARA"], "silent": true},)",
         "QUINTARA",
         u"\" não respondeu em 3 segundos à pergunta pela porta da instância \"QUINTARA\": o "
         u"serviço não está em execução, a rede bloqueia a porta UDP 1434 ou o servidor não tem "
         u"essa instância."},
        {"no Browser on the machine", "", "QUINTARA",
         u"\" não respondeu em 3 segundos à pergunta pela porta da instância \"QUINTARA\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const TdsTestServer server(ScenarioJson("{}", R"("address": "own",)" + c.scenario));
        Connection connection;
        const auto start = std::chrono::steady_clock::now();
        const Failure failure = FailureOf([&] {
            connection.Open(ToServer(server.address() + "\\" + c.instance), u"", U16(kPassword));
        });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
        EXPECT_EQ(failure.number, database_error::kDriverFailure);
        const std::u16string ofServer =
            u"O serviço SQL Server Browser do servidor \"" + U16(server.address());
        EXPECT_TRUE(failure.description.starts_with(ofServer + c.description))
            << testing::PrintToString(failure.description);
        EXPECT_EQ(server.count("LOGIN"), 0u);
    }
}

// Without an address the server cannot be looked for: the message says so, whoever resolves the
// name (FreeTDS for a host, Kestrel for the Browser of a named instance).
TEST(DatabaseAccess, AServerNameWithoutAnAddressIsSaidToBeUnknown) {
    const struct {
        std::string dataSource;
        std::u16string description;
    } cases[] = {
        {"kestrel-nao-existe.invalid",
         u"Não foi possível conectar ao servidor SQL Server \"kestrel-nao-existe.invalid\": o nome "
         u"do servidor não corresponde a nenhum endereço na rede. Verifique o nome do servidor e "
         u"o DNS da rede."},
        {"kestrel-nao-existe.invalid\\QUINTARA",
         u"Não foi possível conectar ao servidor SQL Server "
         u"\"kestrel-nao-existe.invalid\\QUINTARA\": o nome do servidor não corresponde a "
         u"nenhum endereço na rede. Verifique o nome do servidor e o DNS da rede."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataSource);
        Connection connection;
        const Failure failure =
            FailureOf([&] { connection.Open(ToServer(c.dataSource), u"", u""); });
        EXPECT_EQ(failure.number, database_error::kDriverFailure);
        EXPECT_EQ(failure.description, c.description);
    }
}

// Each password is a login of the test server; every one must reach it unchanged.
TEST(DatabaseAccess, PasswordsWithConnectionStringCharactersLogIn) {
    const std::string passwords[] = {
        "Senha;1}", "x}y",      "p}",   "}",         "{br}", "{",     " sp ",
        "a;b=c",    "k;PWD=x;", "'q\"", "Çenha São", "}}",   "a}}b;",
    };
    std::string logins;
    for (std::size_t i = 0; i < std::size(passwords); ++i) {
        std::string escaped;
        for (char c : passwords[i]) {
            escaped += c == '"' ? "\\\"" : std::string(1, c);
        }
        logins += R"({"user": "u)" + std::to_string(i) + R"(", "password": ")" + escaped + "\"},";
    }
    TdsTestServer server(
        ScenarioJson("{}", R"("logins": [)" + logins.substr(0, logins.size() - 1) + "],"));
    for (std::size_t i = 0; i < std::size(passwords); ++i) {
        SCOPED_TRACE(passwords[i]);
        Connection connection;
        EXPECT_NO_THROW(connection.Open(OleDbString(server.port(), "master"),
                                        U16("u" + std::to_string(i)), U16(passwords[i])));
    }
    EXPECT_EQ(server.count("LOGIN OK"), std::size(passwords));
}

TEST(DatabaseAccess, ThePasswordCanComeQuotedInTheString) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    connection.Open(u"Provider=SQLOLEDB.1;Password=\"Senha;1}\";User ID=sa;Data Source=127.0.0.1," +
                        U16(std::to_string(server.port())),
                    u"", u"");
    EXPECT_EQ(connection.CurrentDatabase(), u"master");
}

TEST(DatabaseAccess, APasswordFreeTdsCannotTakeIsRefusedBeforeConnecting) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    const Failure failure =
        FailureOf([&] { connection.Open(OleDbString(server.port()), u"sa", u"a};b"); });
    EXPECT_EQ(failure.number, database_error::kBadConnectionString);
    EXPECT_EQ(failure.description.find(u"a};b"), std::u16string::npos);
    EXPECT_EQ(server.count("LOGIN"), 0u);
}

// Every Open logs in anew on a session of its own: nothing is pooled.
TEST(DatabaseAccess, OpenReusesNothingFromAnEarlierConnection) {
    TdsTestServer server(ScenarioJson());
    std::optional<std::u16string> sessions[2];
    for (auto& session : sessions) {
        Connection connection;
        connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
        Recordset spid;
        spid.Open(u"SELECT @@SPID", connection);
        session = spid.Field(0);
    }
    EXPECT_EQ(server.count("LOGIN OK"), 2u);
    EXPECT_NE(sessions[0], sessions[1]);
}

TEST(DatabaseAccess, OpenObjectsCannotBeOpenedAgain) {
    TdsTestServer server(ScenarioJson());
    Connection connection;
    connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
    EXPECT_EQ(FailureOf([&] {
                  connection.Open(OleDbString(server.port()), u"sa", U16(kPassword));
              }).number,
              database_error::kObjectOpen);
    Recordset recordset;
    recordset.Open(u"SELECT 1", connection);
    EXPECT_EQ(FailureOf([&] { recordset.Open(u"SELECT 2", connection); }).number,
              database_error::kObjectOpen);
    recordset.Close();
    recordset.Close();
    EXPECT_EQ(FailureOf([&] { recordset.Field(0); }).number, database_error::kObjectClosed);
}

}  // namespace
