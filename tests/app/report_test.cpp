// The command line's report over the real ODBC stack and the TDS test server, its JSON parsed.
#include "app/report.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/report_output.h"
#include "app/window_text.h"
#include "base/utf8.h"
#include "support/dialog_string.h"
#include "support/quintara_settings.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

using kestrel::ReportStatus;

namespace {

// A server of the command line, with the login sa.
kestrel::ReportTarget Other(const TdsTestServer& server, const std::string& password) {
    return {U16(AddressOf(server)), u"Quintara", u"sa", U16(password)};
}

// Each failure ends with its documented status and message; no report holds the password.
TEST(Report, EndsWithTheStatusAndTheMessageOfItsKind) {
    const Scenario scenario;
    const TdsTestServer server(scenario.Json());
    Scenario failing;
    failing.faults = R"({"serverproperty_error": true})";
    const TdsTestServer failingServer(failing.Json());
    const std::string wrong = "Errada;9}";
    const kestrel::ReportTarget stored;
    const QuintaraSettings oracle{.gerenciador = "Oracle"};
    const struct {
        const char* what;
        const TdsTestServer& to;
        QuintaraSettings settings;
        kestrel::ReportTarget target;
        int status;
        std::u16string messageStart;
    } cases[] = {
        {"filled", server, {}, stored, 0, u""},
        {"an empty server", server, {.servidor = " "}, stored, 3, u"As configurações do Quintara"},
        {"a manager type of another product", server, oracle, stored, 4,
         u"O tipo setado está: Oracle\r\n"},
        {"a wrong password", server, {.password = wrong}, stored, 5, u""},
        {"a server without SERVERPROPERTY", failingServer, {}, stored, 6, u"Erro: "},
        {"another server, filled", server, oracle, Other(server, scenario.password), 0, u""},
        {"another server, a wrong password", server, {}, Other(server, wrong), 5, u"Erro: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FakeRegistry registry;
        QuintaraSettings settings = c.settings;
        if (settings.servidor.empty()) {
            settings.servidor = AddressOf(c.to);
        }
        if (settings.password.empty()) {
            settings.password = scenario.password;
        }
        settings.StoreIn(registry);

        const kestrel::Report report = kestrel::RunReport(c.target, registry);
        EXPECT_EQ(int(report.status), c.status);
        EXPECT_TRUE(report.message.starts_with(c.messageStart)) << Narrow(report.message);
        EXPECT_EQ(report.message.empty(), c.status == 0);

        const std::string json = kestrel::ReportJson(report);
        const auto parsed = nlohmann::json::parse(json);
        if (c.status == 0) {
            EXPECT_TRUE(parsed["erro"].is_null());
        } else {
            EXPECT_EQ(parsed["erro"]["status"], c.status);
            EXPECT_EQ(parsed["erro"]["mensagem"], kestrel::Utf8(report.message));
        }
        const std::string lines = kestrel::Utf8(kestrel::ReportLines(report));
        for (const std::string& password : {scenario.password, wrong}) {
            EXPECT_EQ(json.find(password), std::string::npos);
            EXPECT_EQ(lines.find(password), std::string::npos);
            EXPECT_EQ(report.message.find(U16(password)), std::u16string::npos);
        }
    }
}

// The lines are those of "Copiar tudo"; the JSON has a member per box, in ASCII.
TEST(Report, AFilledReportGivesTheWindowsLinesAndItsJson) {
    Scenario scenario;
    scenario.productVersion = "9.00.1399.06";
    const TdsTestServer server(scenario.Json());
    FakeRegistry registry;
    const QuintaraSettings settings{.servidor = AddressOf(server), .password = scenario.password};
    settings.StoreIn(registry);

    const kestrel::Report report = kestrel::RunReport({}, registry);
    ASSERT_EQ(report.status, ReportStatus::Ok) << Narrow(report.message);
    const std::u16string end(kestrel::kClipboardLineEnd);
    EXPECT_TRUE(kestrel::ReportLines(report).starts_with(
        u"Servidor: " + U16(AddressOf(server)) + end +
        u"Versão do SQL Server: 9.00.1399.06 - SQL Server 2005" + end));

    const std::string json = kestrel::ReportJson(report);
    EXPECT_TRUE(std::ranges::all_of(json, [](char c) { return (unsigned char)c < 0x80; }));
    EXPECT_EQ(nlohmann::json::parse(json),
              nlohmann::json({{"servidor", AddressOf(server)},
                              {"versao", "9.00.1399.06 - SQL Server 2005"},
                              {"nivel", "SP2"},
                              {"edicao", "Standard Edition (64-bit)"},
                              {"edicao_mecanismo", ""},
                              {"banco_dados", "Quintara"},
                              {"tamanho_banco_dados", "150.50 MB"},
                              {"local_banco", "D:\\Dados\\São Paulo\\Quintara.mdf"},
                              {"versao_numero", "9.00.1399.06"},
                              {"versao_nome", "SQL Server 2005"},
                              {"erro", nullptr}}));
}

// What a script may write, and what is refused; the "/" forms only on Windows.
TEST(CommandLine, TellsTheReportTheUsageAndWhatIsWrong) {
    using Action = kestrel::CommandLine::Action;
    const struct {
        std::vector<std::u16string> arguments;
        bool windowsForms;
        Action action;
        std::u16string wrongStart;
    } cases[] = {
        {{}, false, Action::Window, u""},
        {{u"--relatorio"}, false, Action::Report, u""},
        {{u"/relatorio", u"/json"}, true, Action::Report, u""},
        {{u"/relatorio"}, false, Action::WrongUsage, u"argumento desconhecido: /relatorio"},
        {{u"/?"}, true, Action::Help, u""},
        {{u"--json", u"--help"}, false, Action::Help, u""},
        {{u"--servidor=srv,1433", u"--banco", u"Quintara"}, false, Action::Report, u""},
        {{u"--servidor"}, false, Action::WrongUsage, u"falta o valor de --servidor"},
        {{u"--servidor="}, false, Action::WrongUsage, u"valor vazio em --servidor="},
        {{u"--servidor", u"a", u"--servidor", u"b"}, false, Action::WrongUsage, u"opção repetida"},
        {{u"--usuario", u"sa"}, false, Action::WrongUsage, u"--banco e --usuario valem só"},
        {{u"--json=1"}, false, Action::WrongUsage, u"opção desconhecida: --json=1"},
        {{u"--senha", u"x"}, false, Action::WrongUsage, u"opção desconhecida: --senha"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(Narrow(c.arguments.empty() ? u"" : c.arguments[0]));
        const kestrel::CommandLine line = kestrel::ParseCommandLine(c.arguments, c.windowsForms);
        EXPECT_EQ(line.action, c.action);
        EXPECT_TRUE(line.wrong.starts_with(c.wrongStart)) << Narrow(line.wrong);
    }
    const kestrel::CommandLine other = kestrel::ParseCommandLine(
        std::vector<std::u16string>{u"--servidor=srv,1433", u"--banco", u"Quintara", u"--json"},
        false);
    EXPECT_EQ(other.servidor, u"srv,1433");
    EXPECT_EQ(other.banco, u"Quintara");
    EXPECT_TRUE(other.json);
}

// A fault of the program itself is told apart from every failure of the settings or the server.
TEST(Report, AFaultOfTheProgramItselfHasAStatusOfItsOwn) {
    struct FaultyRegistry : FakeRegistry {
        kestrel::RegistryStatus OpenKey(kestrel::RootKeyHandle, const std::string&, std::uint32_t,
                                        std::uint32_t, kestrel::OpenKeyHandle&) override {
            throw std::runtime_error("falha interna");
        }
    } registry;
    const kestrel::Report report = kestrel::RunReport({}, registry);
    EXPECT_EQ(report.status, ReportStatus::Unexpected);
    EXPECT_EQ(report.message, u"Erro inesperado: falha interna");
}

}  // namespace
