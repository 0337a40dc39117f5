// Connection and Recordset over the real ODBC stack against the TDS test server on loopback.
#include "connection/database_access.h"
#include "connection/database_error.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>

#include "base/failure.h"
#include "connection/driver_choice/deadline_worker.h"
#include "connection/odbc/odbc_driver_manager.h"
#include "support/dialog_string.h"
#include "support/failure_of.h"
#include "support/scenario.h"
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

// Whether ctest runs this with FreeTDS listed a second time, as "ODBC Driver 17 for SQL Server".
bool WithASecondFreeTds() {
    const char* drivers = std::getenv("ODBCSYSINI");
    return drivers != nullptr && std::string_view(drivers).ends_with("second-freetds");
}

std::u16string ToServer(const std::string& dataSource, const std::string& catalog = "Quintara") {
    return U16("Provider=SQLOLEDB.1;User ID=sa;Initial Catalog=" + catalog +
               ";Data Source=" + dataSource);
}

// A driver manager that is absent, or no ODBC library, is a failure told in Portuguese.
TEST(OdbcDriverManager, OneThatCannotBeUsedIsToldAsAFailure) {
#ifdef _WIN32
    const char* const libraries[][2] = {{"kestrel-nenhum.dll", "não pôde ser carregado"},
                                        {"kernel32.dll", "não tem a função SQLAllocHandle"}};
#else
    const char* const libraries[][2] = {{"libkestrel-nenhum.so.2", "não pôde ser carregado"},
                                        {"libm.so.6", "não tem a função SQLAllocHandle"}};
#endif
    for (const auto& [library, says] : libraries) {
        const Failure failure = FailureOf([&] { kestrel::LoadOdbcEntryPoints(library); });
        EXPECT_EQ(failure.number, database_error::kProviderNotFound) << library;
        EXPECT_NE(failure.description.find(U16(says)), std::u16string::npos)
            << Narrow(failure.description);
    }
}

// An unreachable or unknown server fails within the bound, saying why ("@" address, "#" port).
TEST(DatabaseAccess, AServerThatCannotBeReachedIsSaidWhyWithinTheBound) {
    const struct {
        const char* what;
        std::string faults;
        // Its Browser's instances; a leading "-": it stays silent; "tcp=X": it gives port X.
        const char* browser;
        std::string dataSource;
        std::string description;  // the start of it
    } cases[] = {
        {"nothing listens on the port", "{}", "", "@,1",
         "Não foi possível conectar ao servidor SQL Server \"@,1\": ele não foi encontrado"},
        {"the server closes the socket during the log-on", R"({"close_on": "login"})", "", "@,#",
         "A conexão com o servidor SQL Server \"@,#\" foi interrompida durante o login."},
        {"a host name without an address", "{}", "", "kestrel-nao-existe.invalid",
         "Não foi possível conectar ao servidor SQL Server \"kestrel-nao-existe.invalid\": o nome "
         "do servidor não corresponde a nenhum endereço na rede. Verifique o nome do servidor e o "
         "DNS da rede."},
        {"the same, with an instance", "{}", "", "kestrel-nao-existe.invalid\\QUINTARA",
         "Não foi possível conectar ao servidor SQL Server "
         "\"kestrel-nao-existe.invalid\\QUINTARA\": "
         "o nome do servidor não corresponde"},
        {"the Browser does not know the instance", "{}", "QUINTARA TREINO", "@\\OUTRA",
         "O serviço SQL Server Browser do servidor \"@\" respondeu, mas não conhece a instância "
         "\"OUTRA\". Instâncias desse servidor: QUINTARA, TREINO. Verifique o nome da instância."},
        {"the Browser is silent", "{}", "-QUINTARA", "@\\QUINTARA",
         "O serviço SQL Server Browser do servidor \"@\" não respondeu em 3 segundos à pergunta "
         "pela porta da instância \"QUINTARA\": o serviço não está em execução, a rede bloqueia "
         "a porta UDP 1434 ou o servidor não tem essa instância."},
        {"the Browser gives a port that is not a number", "{}", "QUINTARA tcp=12a4", "@\\QUINTARA",
         "O serviço SQL Server Browser do servidor \"@\" informou para a instância \"QUINTARA\" a "
         "porta TCP \"12a4\", que não é um número de porta válido (de 1 a 65535)."},
        {"the Browser gives a port past the last", "{}", "QUINTARA tcp=65536", "@\\QUINTARA",
         "O serviço SQL Server Browser do servidor \"@\" informou para a instância \"QUINTARA\" a "
         "porta TCP \"65536\", que não é"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario;
        scenario.address = "own";
        std::istringstream instances(c.browser + (c.browser[0] == '-' ? 1 : 0));
        for (std::string instance; instances >> instance;) {
            if (instance.starts_with("tcp=")) {
                scenario.browserTcp = instance.substr(4);
            } else {
                scenario.browserInstances.push_back(instance);
            }
        }
        scenario.browserSilent = c.browser[0] == '-';
        scenario.faults = c.faults;
        const TdsTestServer server(scenario.Json());
        const auto placed = [&](std::string text) {
            for (std::size_t at; (at = text.find_first_of("@#")) != std::string::npos;) {
                text.replace(at, 1,
                             text[at] == '@' ? server.address() : std::to_string(server.port()));
            }
            return text;
        };
        Connection connection;
        const auto start = std::chrono::steady_clock::now();
        const Failure failure = FailureOf(
            [&] { connection.Open(ToServer(placed(c.dataSource)), u"", U16(kPassword)); });
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(15));
        EXPECT_EQ(failure.number, database_error::kDriverFailure);
        EXPECT_TRUE(failure.description.starts_with(U16(placed(c.description))))
            << testing::PrintToString(failure.description);
        EXPECT_FALSE(connection.IsOpen());
        if (c.dataSource.find('\\') != std::string::npos) {
            EXPECT_EQ(server.count("LOGIN"), 0u);
        }
    }
}

// Every wait ends at its bound, says so, gives the connection up, and holds up no next one.
TEST(DatabaseAccess, EveryWaitEndsAtItsBound) {
    const struct {
        const char* what;
        std::string faults;
        bool duringLogin;
    } cases[] = {
        {"a server that never answers the log-on", R"({"stall": true})", true},
        {"a log-on answer dripping a byte a second", R"({"drip_on": "login"})", true},
        {"a server that stops answering after the log-on", R"({"stall_after_login": true})", false},
        {"an answer dripping a byte a second", R"({"drip_on": "serverproperty"})", false},
    };
    const TdsTestServer healthy(Scenario{}.Json());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario;
        scenario.faults = c.faults;
        const TdsTestServer server(scenario.Json());
        Connection connection({std::chrono::seconds(1), std::chrono::seconds(1)});
        const auto start = std::chrono::steady_clock::now();
        const Failure failure = FailureOf([&] {
            connection.Open(ToServer(AddressOf(server)), u"sa", U16(kPassword));
            Recordset properties;
            properties.Open(kServerPropertyQuery, connection);
        });
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_GE(waited, std::chrono::milliseconds(900));
        EXPECT_LT(waited, std::chrono::seconds(12));
        EXPECT_EQ(failure.number, -2147217871);  // ADO's number for a timeout
        EXPECT_EQ(failure.description,
                  U16("O servidor SQL Server \"" + AddressOf(server) + "\" ") +
                      (c.duringLogin ? u"não respondeu ao login em 1 segundo (tempo esgotado). "
                                       u"Verifique se o servidor está em execução e se é "
                                       u"acessível pela rede."
                                     : u"não concluiu o comando em 1 segundo (tempo esgotado)."));
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
        next.Open(ToServer(AddressOf(healthy)), u"sa", U16(kPassword));
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

// Every way a technician writes a server reaches it, asking the Browser only for an instance.
TEST(DatabaseAccess, ReachesTheServerByEveryFormOfItsName) {
    Scenario onDefaultPort;
    onDefaultPort.address = "own";
    onDefaultPort.port = 1433;
    Scenario instance;
    instance.address = "own";
    instance.browserInstances = {"QUINTARA"};
    instance.browserNoiseFirst = true;
    const TdsTestServer plainServer(onDefaultPort.Json());
    const TdsTestServer namedServer(instance.Json());
    const std::string plain = plainServer.address();
    const std::string named = namedServer.address();
    const std::string port = std::to_string(namedServer.port());
    const struct {
        std::string dataSource;
        const TdsTestServer& server;
        bool asksTheBrowser;
    } forms[] = {
        {plain, plainServer, false},
        {plain + ",1433", plainServer, false},
        {named + "," + port, namedServer, false},
        {named + "\\QUINTARA", namedServer, true},
        {"tcp:" + named + "\\quintara", namedServer, true},
        {named + "\\QUINTARA," + port, namedServer, false},
    };
    for (const auto& form : forms) {
        SCOPED_TRACE(form.dataSource);
        const std::size_t logins = form.server.count("LOGIN OK");
        const std::size_t questions = namedServer.count("BROWSER INSTANCE");
        Connection connection;
        EXPECT_NO_THROW(connection.Open(ToServer(form.dataSource), u"", U16(kPassword)));
        EXPECT_EQ(form.server.count("LOGIN OK"), logins + 1);
        EXPECT_EQ(namedServer.count("BROWSER INSTANCE") - questions, form.asksTheBrowser ? 1u : 0u);
    }
}

// Run with FreeTDS also as "Driver 17": a late Browser leaves the instance to that driver.
TEST(DatabaseAccess, ABrowserWithoutAPortLeavesTheInstanceToTheDriversThatFindItThemselves) {
    if (!WithASecondFreeTds()) {
        GTEST_SKIP() << "run by ctest with its own list of drivers";
    }
    Scenario scenario;
    scenario.address = "own";
    scenario.browserInstances = {"QUINTARA"};
    scenario.browserDelay = 2.5;
    // FreeTDS does not read a password in braces with "}" doubled, as Microsoft's drivers do.
    scenario.password = "senha";
    const TdsTestServer server(scenario.Json());
    Connection connection({std::chrono::seconds(6), std::chrono::seconds(6)});
    const Failure failure = FailureOf(
        [&] { connection.Open(ToServer(server.address() + "\\QUINTARA"), u"", u"senha"); });
    EXPECT_EQ(failure.description, u"");
    EXPECT_TRUE(connection.IsOpen());
    EXPECT_EQ(server.count("LOGIN OK"), 1u);
}

// A value past the bound comes one character longer, so that it shows as cut; no extra column.
TEST(DatabaseAccess, ALongValueComesCutJustPastTheBoundAndNoColumnPastTheLast) {
    Scenario scenario;
    scenario.faults = R"({"value_chars": 5000})";
    const TdsTestServer server(scenario.Json());
    Connection connection;
    connection.Open(ToServer(AddressOf(server)), u"sa", U16(kPassword));
    Recordset properties;
    properties.Open(kServerPropertyQuery, connection);
    EXPECT_EQ(properties.Field(2).value_or(u"").size(), kestrel::kLongestFieldValue + 1);
    EXPECT_EQ(FailureOf([&] { properties.Field(3); }).number, database_error::kColumnNotFound);
}

// Each password is a login of the test server; every one must reach it unchanged.
TEST(DatabaseAccess, PasswordsWithConnectionStringCharactersLogIn) {
    const std::string passwords[] = {
        "x}y", "p}", "}", "{br}", "{", " sp ", "a;b=c", "k;PWD=x;", "'q\"", "Çenha São", "a}}b;",
    };
    Scenario scenario;
    for (std::size_t i = 0; i < std::size(passwords); ++i) {
        scenario.moreLogins.emplace_back("u" + std::to_string(i), passwords[i]);
    }
    const TdsTestServer server(scenario.Json());
    for (std::size_t i = 0; i < std::size(passwords); ++i) {
        SCOPED_TRACE(passwords[i]);
        Connection connection;
        EXPECT_NO_THROW(connection.Open(ToServer(AddressOf(server), "master"),
                                        U16("u" + std::to_string(i)), U16(passwords[i])));
    }
    EXPECT_EQ(server.count("LOGIN OK"), std::size(passwords));
}

// Run with FreeTDS also as "Driver 17", whose TDS 7.4 is refused: FreeTDS, then remembered.
TEST(DatabaseAccess, ARefusedHandshakeGivesWayToTheNextDriverWhichIsThenRemembered) {
    if (!WithASecondFreeTds()) {
        GTEST_SKIP() << "run by ctest with its own list of drivers";
    }
    Scenario scenario;
    scenario.faults = R"({"refuse_mars_prelogin": true})";
    const TdsTestServer server(scenario.Json());
    // Without a "." the name has no TCP prefix, which FreeTDS would not read.
    const std::string dataSource = "localhost," + std::to_string(server.port());
    for (std::size_t open = 1; open <= 2; ++open) {
        Connection connection;
        EXPECT_NO_THROW(connection.Open(ToServer(dataSource), u"sa", U16(kPassword)));
        EXPECT_EQ(server.count("PRELOGIN REFUSED"), 1u);
        EXPECT_EQ(server.count("LOGIN OK"), open);
    }
}

}  // namespace
