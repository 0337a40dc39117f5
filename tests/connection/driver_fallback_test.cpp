// Which driver is tried after which answer, and what the user is told when none reached the server.
#include "connection/driver_choice/driver_fallback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connection/database_access.h"
#include "connection/database_error.h"
#include "support/odbc_records.h"

using kestrel::DriverAttempts;
using odbc_records::Records;
using namespace odbc_records;
namespace database_error = kestrel::database_error;

namespace {

constexpr char16_t k18[] = u"ODBC Driver 18 for SQL Server";
constexpr char16_t k17[] = u"ODBC Driver 17 for SQL Server";
constexpr char16_t kTds[] = u"FreeTDS";
constexpr char16_t kClassic[] = u"SQL Server";

std::u16string Told(const Records& records) {
    return u"<" + (records.empty() ? u"" : records.back().message) + u">";
}

// Fails an attempt with each of `answers` in turn: the drivers tried, and what the user is told.
std::pair<std::vector<std::u16string>, std::u16string> Attempted(
    DriverAttempts& attempts, const std::vector<const Records*>& answers) {
    std::vector<std::u16string> tried;
    for (const Records* answer : answers) {
        const std::optional<std::u16string> next = attempts.Next();
        if (!next) {
            return {tried, u"(no driver left)"};
        }
        tried.push_back(*next);
        attempts.Failed(*answer, {database_error::kDriverFailure, Told(*answer)});
    }
    if (attempts.Next()) {
        return {tried, u"(a driver left)"};
    }
    return {tried, attempts.Result(u"srv").description};
}

TEST(DriverFallback, TriesTheNextInstalledDriverOnlyWhenTheDriverFailed) {
    struct Case {
        const char* what;
        std::vector<std::u16string> installed;
        std::optional<int> serverMajor;
        std::optional<std::u16string> remembered;
        std::vector<const Records*> answers;  // each attempt's, in order
        std::vector<std::u16string> tried;
        // What the user is told: the whole of it, or its start when it ends in "...".
        std::u16string told;
        // No port from the Browser: only FreeTDS is left out; the Browser's word ends the message.
        bool browserGaveNoPort = false;
    };
    const std::u16string allFailed =
        u"Não foi possível conectar ao servidor SQL Server \"srv\" com nenhum dos drivers ODBC "
        u"instalados. Drivers tentados:";
    const std::u16string advice =
        u"\r\nO driver \"SQL Server\" do Windows não faz a criptografia que este servidor exige: "
        u"instale o ODBC Driver 17 ou 18 for SQL Server, da Microsoft.";
    const std::u16string browser = u"<the Browser did not answer>";
    const std::u16string kHandshake =
        u"falhou na negociação com o servidor antes do login (pré-login, criptografia TLS ou "
        u"protocolo): ";
    // clang-format off
    const Case cases[] = {
        {"a library left behind, then FreeTDS refused the login", {k18, kTds}, {}, {}, {&kLibraryMissing, &kLoginRefused}, {k18, kTds}, Told(kLoginRefused)},
        {"a driver no longer registered", {k17, kClassic}, {}, {}, {&kNotRegistered, &kLoginRefused}, {k17, kClassic}, Told(kLoginRefused)},
        {"SQL Server 2000 refused by 18 skips 17 too", {kClassic, k17, k18}, {}, {}, {&kTooOld, &kLoginRefused}, {k18, kClassic}, Told(kLoginRefused)},
        {"a pre-login closed, then garbage, then the classic driver's TLS: every driver failed", {k18, kTds, kClassic}, {}, {}, {&kClosedAtPreLogin, &kGarbageAtPreLogin, &kTlsRefused}, {k18, kTds, kClassic},
         allFailed + u"\r\n- \"" + k18 + u"\" " + kHandshake + Told(kClosedAtPreLogin) + u"\r\n- \"" + kTds + u"\" falhou na negociação..."},
        {"the classic driver alone cannot do the server's TLS", {kClassic}, {}, {}, {&kTlsRefused}, {kClassic}, Told(kTlsRefused) + advice},
        {"... nor when Driver 18's library is gone", {k18, kClassic}, {}, {}, {&kLibraryMissing, &kTlsRefused}, {k18, kClassic},
         allFailed + u"\r\n- \"" + k18 + u"\" não pôde ser carregado: " + Told(kLibraryMissing) + u"\r\n- \"SQL Server\" " + kHandshake + Told(kTlsRefused) + advice},
        {"the login refused: the server answered", {k18, kTds}, {}, {}, {&kLoginRefused}, {k18}, Told(kLoginRefused)},
        {"nothing listens there", {k18, kTds}, {}, {}, {&kNoListener}, {k18}, Told(kNoListener)},
        {"no such host", {kTds, kClassic}, {}, {}, {&kUnknownHost}, {kTds}, Told(kUnknownHost)},
        {"Microsoft's driver refused TCP", {k17, kClassic}, {}, {}, {&kMicrosoftRefusedTcp}, {k17}, Told(kMicrosoftRefusedTcp)},
        {"the bound ran out", {k18, kTds}, {}, {}, {&kTimedOut}, {k18}, Told(kTimedOut)},
        {"the Browser names SQL Server 2000: the classic driver first", {k18, k17, kClassic}, 8, {}, {&kLoginRefused}, {kClassic}, Told(kLoginRefused)},
        {"SQL Server 2005 keeps the order", {k18, kClassic}, 9, {}, {&kLoginRefused}, {k18}, Told(kLoginRefused)},
        {"the driver that reached this server before comes first", {k18, kTds, kClassic}, {}, kClassic, {&kLoginRefused}, {kClassic}, Told(kLoginRefused)},
        {"names as installed, in any case; other drivers are not tried", {u"PostgreSQL Unicode", u"freetds", u"SQL Server Native Client 11.0"}, {}, u"FREETDS",
         {&kClosedAtPreLogin}, {u"freetds"}, Told(kClosedAtPreLogin)},
        {"no port: FreeTDS alone, the Browser's word alone", {kTds}, {}, {}, {}, {}, browser, true},
        {"no port: Microsoft's driver did not find it either", {k18, kTds}, {}, {}, {&kNoListener}, {k18}, Told(kNoListener) + u"\r\n" + browser, true},
        {"no port: the remembered FreeTDS is left out too", {kTds, kClassic}, {}, kTds, {&kTimedOut}, {kClassic}, Told(kTimedOut) + u"\r\n" + browser, true},
        {"no port: a library left behind, then the classic driver reached the server", {k18, kTds, kClassic}, {}, {}, {&kLibraryMissing, &kLoginRefused}, {k18, kClassic}, Told(kLoginRefused), true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DriverAttempts attempts(c.installed, c.serverMajor, c.remembered);
        if (c.browserGaveNoPort) {
            attempts.WithoutInstancePort({database_error::kDriverFailure, browser});
        }
        const auto [tried, told] = Attempted(attempts, c.answers);
        EXPECT_EQ(tried, c.tried);
        if (c.told.ends_with(u"...")) {
            EXPECT_TRUE(told.starts_with(c.told.substr(0, c.told.size() - 3)))
                << testing::PrintToString(told);
        } else {
            EXPECT_EQ(told, c.told);
        }
    }
    EXPECT_FALSE(DriverAttempts({u"PostgreSQL Unicode"}, {}, {}).AnyDriver());
}

}  // namespace
