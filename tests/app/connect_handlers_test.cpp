// "Ler Quintara..." and "Ler Nova Conexão..." without a window: the handlers' rules over the real
// ODBC stack and the TDS test server, with the settings in a registry of the test's own.
#include <gtest/gtest.h>

#include <string>

#include "app/main_window_handlers.h"
#include "connection/data_link_string.h"
#include "inspection/inspection_pass.h"
#include "support/quintara_settings.h"
#include "support/recording_window_services.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

namespace {

class ConnectHandlers : public ::testing::Test {
protected:
    ConnectHandlers() {
        settings.servidor = "127.0.0.1," + std::to_string(server.port());
        settings.password = scenario.password;
    }

    std::u16string DialogString(const std::string& password) const {
        return kestrel::BuildDataLinkString({.server = U16(settings.servidor),
                                             .userName = u"sa",
                                             .password = U16(password),
                                             .database = u"Quintara"});
    }

    void ExpectConnected() {
        EXPECT_TRUE(services.messages.empty());
        EXPECT_TRUE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Busy);
    }

    void ExpectOneMessageWithoutThePassword() {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text.find(U16(scenario.password)), std::u16string::npos);
        EXPECT_EQ(services.messages[0].icon, MessageIcon::None);
        EXPECT_FALSE(services.timerEnabled);
    }

    Scenario scenario;
    TdsTestServer server{scenario.Json()};
    QuintaraSettings settings;
    RecordingWindowServices services;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{
        services, registry, prompt, {std::chrono::seconds(5), std::chrono::seconds(5)}};
};

TEST_F(ConnectHandlers, EveryAcceptedManagerTypeConnectsWithTheStoredSettings) {
    for (const char* type :
         {"SQLServer7", "SQLServer2000", "SQLServer65", "SQLServer", "MSDE", "MSDE2000"}) {
        SCOPED_TRACE(type);
        services = {};
        settings.gerenciador = type;
        settings.StoreIn(registry);
        handlers.cmdQuintara_Click();
        ExpectConnected();
        EXPECT_EQ(services.Text(TextBox::txtServidor), U16(settings.servidor));
    }
    EXPECT_EQ(server.count("LOGIN OK user=sa database=Quintara"), 6u);
    EXPECT_EQ(prompt.calls, 0);
}

TEST_F(ConnectHandlers, AnyOtherManagerTypeGetsTheMessageAndEndsTheProgram) {
    for (const char* type : {"sqlserver2000", "SQL Server", "SQLServer2005", "Oracle"}) {
        SCOPED_TRACE(type);
        services = {};
        settings.gerenciador = type;
        settings.StoreIn(registry);
        handlers.cmdQuintara_Click();
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text,
                  u"O tipo setado está: " + U16(type) +
                      u"\r\nEste programa é somente para Servidor de Banco de Dados SQL Server, "
                      u"MSDE ou SQL Express.\r\nEntre em contato com o suporte do Quintara "
                      u"suporte@norvik.com.br.");
        EXPECT_EQ(services.messages[0].icon, MessageIcon::Information);
        EXPECT_EQ(services.endProgramCalls, 1);
        EXPECT_FALSE(services.timerEnabled);
    }
    EXPECT_EQ(server.count("LOGIN"), 0u);
}

TEST_F(ConnectHandlers, WithoutTheSettingsKeyTheTypeReadsErrorAndTheProgramEnds) {
    handlers.cmdQuintara_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].text.starts_with(u"O tipo setado está: Error\r\n"));
    EXPECT_EQ(services.endProgramCalls, 1);
    EXPECT_EQ(prompt.calls, 0);
}

TEST_F(ConnectHandlers, EmptyServerOrDatabaseOpensTheDialogInstead) {
    for (const char* empty : {"Servidor", "BancoBados", "GerenciadorBancoDados"}) {
        SCOPED_TRACE(empty);
        services = {};
        QuintaraSettings incomplete = settings;
        (std::string(empty) == "Servidor"     ? incomplete.servidor
         : std::string(empty) == "BancoBados" ? incomplete.bancoDados
                                              : incomplete.gerenciador) = "";
        incomplete.StoreIn(registry);
        prompt.answers.push_back(DialogString(scenario.password));
        handlers.cmdQuintara_Click();
        ExpectConnected();
        // On the dialog's path the server names itself.
        EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
    }
    EXPECT_EQ(prompt.calls, 3);
}

// A value that could not be read (absent, or too long for the reader) reads as "Error": were it
// sent, "Error" would go out as a host name, or the stored login to the wrong place. The dialog
// opens instead, as for an empty value; cancelled here, so that nothing at all reaches a server.
TEST_F(ConnectHandlers, AValueThatCouldNotBeReadIsNeverSent) {
    const std::string tooLong(255, 'x');
    const struct {
        const char* what;
        const char* removed;
        std::string QuintaraSettings::*field;
        std::string text;
    } cases[] = {
        {"server absent", "Servidor", nullptr, ""},
        {"server too long", nullptr, &QuintaraSettings::servidor, tooLong},
        {"database name absent", "BancoBados", nullptr, ""},
        {"login name absent, server login", "NameUser", nullptr, ""},
        {"password too long, server login", nullptr, &QuintaraSettings::password, tooLong},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        QuintaraSettings stored = settings;
        if (c.field != nullptr) {
            stored.*c.field = c.text;
        }
        stored.StoreIn(registry);
        if (c.removed != nullptr) {
            registry.Remove(kestrel::root_key::kLocalMachine, "Software\\Norvik\\Database",
                            c.removed);
        }
        const int dialogsBefore = prompt.calls;
        prompt.answers.push_back(std::nullopt);

        handlers.cmdQuintara_Click();

        EXPECT_EQ(prompt.calls - dialogsBefore, 1);
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text.find(u"Error"), std::u16string::npos);
        EXPECT_EQ(services.endProgramCalls, 0);
    }
    EXPECT_EQ(server.count("LOGIN"), 0u);
    EXPECT_EQ(server.count("CLOSE"), 0u);
}

TEST_F(ConnectHandlers, ServerLoginFailureShowsTheServersMessageAndNumber) {
    settings.password = "errada";
    settings.StoreIn(registry);
    services.pointer = MousePointer::Busy;  // a pass still pending from an earlier connect
    handlers.cmdQuintara_Click();

    ExpectOneMessageWithoutThePassword();
    EXPECT_EQ(services.messages[0].text, u"Login failed for user 'sa'. - n. 18456");
    EXPECT_EQ(services.pointer, MousePointer::Busy);
    EXPECT_EQ(services.boxes.count(TextBox::txtServidor), 0u);
}

// A good connect followed, before its pass, by one that fails: the failure is the only message,
// the pass of the replaced connection never runs, the default pointer comes back and no box keeps
// another server's data beside the name in txtServidor.
TEST_F(ConnectHandlers, AFailedConnectCancelsThePassOfTheConnectionItReplaced) {
    for (const bool fromTheDialog : {false, true}) {
        SCOPED_TRACE(fromTheDialog ? "Ler Nova Conexão..." : "Ler Quintara...");
        services = {};
        settings.password = scenario.password;
        settings.StoreIn(registry);
        handlers.cmdQuintara_Click();
        handlers.Timer1_Timer();
        Scenario other;
        other.productVersion = "11.0.5058.0";
        TdsTestServer otherServer(other.Json());
        QuintaraSettings otherSettings = settings;
        otherSettings.servidor = "127.0.0.1," + std::to_string(otherServer.port());
        otherSettings.StoreIn(registry);
        handlers.cmdQuintara_Click();
        ExpectConnected();
        const std::u16string named = services.Text(TextBox::txtServidor);

        if (fromTheDialog) {
            prompt.answers.push_back(DialogString("errada"));
            handlers.cmdNovaConexao_Click();
        } else {
            otherSettings.password = "errada";
            otherSettings.StoreIn(registry);
            handlers.cmdQuintara_Click();
        }
        handlers.Timer1_Timer();  // an event of the cancelled timer, already on its way

        ExpectOneMessageWithoutThePassword();
        EXPECT_NE(services.messages[0].text.find(u"Login failed for user 'sa'."),
                  std::u16string::npos);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(services.Text(TextBox::txtServidor), named);
        for (TextBox box : kestrel::kPassBoxes) {
            EXPECT_EQ(services.Text(box), u"");
        }
        EXPECT_EQ(otherServer.count("BATCH") + otherServer.count("RPC"), 0u);
    }
}

TEST_F(ConnectHandlers, UnknownStoredDatabaseFailsAtTheLogin) {
    settings.bancoDados = "Inexistente";
    settings.StoreIn(registry);
    handlers.cmdQuintara_Click();
    ExpectOneMessageWithoutThePassword();
    EXPECT_TRUE(services.messages[0].text.ends_with(u" - n. 4060"));
}

TEST_F(ConnectHandlers, UsarSsiSelectsIntegratedSecurityOnlyWhenItReadsExactlyOne) {
    // Integrated security sends no server login with the stored name and password.
    settings.usarSSI = "1";
    settings.StoreIn(registry);
    handlers.cmdQuintara_Click();
    EXPECT_EQ(server.count("LOGIN OK user=sa"), 0u);
    EXPECT_EQ(server.count("LOGIN REFUSED user=sa"), 0u);
    // No Windows log-on can be had here: the message says what was attempted.
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_NE(services.messages[0].text.find(u"segurança integrada"), std::u16string::npos);

    // A number 1 stored as REG_DWORD reads as the character 1, not as "1": a server login.
    services = {};
    registry.Set(kestrel::root_key::kLocalMachine, "Software\\Norvik\\Database", "UsarSSI",
                 {kestrel::registry_type::kDword, std::string("\x01\0\0\0", 4)});
    handlers.cmdQuintara_Click();
    ExpectConnected();
    EXPECT_EQ(server.count("LOGIN OK user=sa"), 1u);
}

TEST_F(ConnectHandlers, StoredValuesHoldingSemicolonsOrQuotesCannotChangeTheConnection) {
    scenario.password = "x;Initial Catalog=master";
    TdsTestServer quotedServer(scenario.Json());
    settings.servidor = "127.0.0.1," + std::to_string(quotedServer.port());
    settings.password = scenario.password;
    settings.nameUser = "sa";
    settings.bancoDados = "Quintara";
    settings.StoreIn(registry);
    handlers.cmdQuintara_Click();
    ExpectConnected();
    EXPECT_EQ(quotedServer.count("LOGIN OK user=sa database=Quintara"), 1u);
}

// A password or database name that begins with "=" reaches the server whole, from the stored
// settings and from the dialog.
TEST_F(ConnectHandlers, ValuesBeginningWithEqualsKeepTheirMeaning) {
    scenario.password = "=eq=";
    scenario.databases[0].name = "=Quintara";
    TdsTestServer equalsServer(scenario.Json());
    settings.servidor = "127.0.0.1," + std::to_string(equalsServer.port());
    settings.password = scenario.password;
    settings.bancoDados = "=Quintara";
    settings.StoreIn(registry);
    handlers.cmdQuintara_Click();
    ExpectConnected();

    services = {};
    prompt.answers.push_back(kestrel::BuildDataLinkString({.server = U16(settings.servidor),
                                                           .userName = u"sa",
                                                           .password = u"=eq=",
                                                           .database = u"=Quintara"}));
    handlers.cmdNovaConexao_Click();
    ExpectConnected();
    EXPECT_EQ(equalsServer.count("LOGIN OK user=sa database==Quintara"), 2u);
}

TEST_F(ConnectHandlers, TheDialogsStringIsOpenedAsItIs) {
    prompt.answers.push_back(DialogString(scenario.password));
    handlers.cmdNovaConexao_Click();
    ExpectConnected();
    EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
    EXPECT_EQ(server.count("LOGIN OK user=sa database=Quintara"), 1u);
    EXPECT_TRUE(registry.openCalls.empty());
}

TEST_F(ConnectHandlers, CancellingTheDialogIsError91AndChangesNothing) {
    prompt.answers.push_back(DialogString(scenario.password));
    handlers.cmdNovaConexao_Click();
    handlers.Timer1_Timer();
    const auto boxesAfterThePass = services.boxes;
    services.pointer = MousePointer::Busy;

    prompt.answers.push_back(std::nullopt);
    handlers.cmdNovaConexao_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              u"Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida.");
    EXPECT_EQ(services.pointer, MousePointer::Default);
    EXPECT_FALSE(services.timerEnabled);
    EXPECT_EQ(services.boxes, boxesAfterThePass);

    // The dialog as the fallback of "Ler Quintara...": that handler's wording, pointer untouched.
    services = {};
    services.pointer = MousePointer::Busy;
    settings.servidor = "";
    settings.StoreIn(registry);
    prompt.answers.push_back(std::nullopt);
    handlers.cmdQuintara_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              u"A variável de objeto não foi definida: nenhuma conexão foi escolhida. - n. 91");
    EXPECT_EQ(services.pointer, MousePointer::Busy);
}

TEST_F(ConnectHandlers, DialogConnectFailuresShowErroAndTheDescriptionOnly) {
    struct Case {
        const char* what;
        std::u16string connectionString;
        std::u16string message;
    };
    const Case cases[] = {
        {"wrong password", DialogString("errada"), u"Erro: Login failed for user 'sa'."},
        {"not SQL Server's provider", u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a.mdb",
         u"Erro: O provedor \"Microsoft.Jet.OLEDB.4.0\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        services.pointer = MousePointer::Busy;
        prompt.answers.push_back(c.connectionString);
        handlers.cmdNovaConexao_Click();
        ExpectOneMessageWithoutThePassword();
        EXPECT_TRUE(services.messages[0].text.starts_with(c.message));
        EXPECT_EQ(services.pointer, MousePointer::Default);
    }
}

}  // namespace
