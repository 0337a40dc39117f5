// The buttons and Timer1 without a window: the handlers' rules and the inspection pass over the
// real ODBC stack and the TDS test server, the settings in a registry of the test's own, and the
// program's own time bounds.
#include "app/main_window_handlers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

constexpr char kKey[] = "Software\\Norvik\\Database";
constexpr char16_t kVersion[] = u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2";

std::string AddressOf(const TdsTestServer& server) {
    return "127.0.0.1," + std::to_string(server.port());
}

std::u16string DialogString(const TdsTestServer& server, const std::string& password,
                            const std::string& database = "Quintara") {
    return kestrel::BuildDataLinkString({.server = U16(AddressOf(server)),
                                         .userName = u"sa",
                                         .password = U16(password),
                                         .database = U16(database)});
}

class Handlers : public ::testing::Test {
protected:
    Handlers() {
        settings.servidor = AddressOf(server);
        settings.password = scenario.password;
    }

    // "Ler Quintara..." with settings that point at `to`.
    void ClickLerQuintara(const TdsTestServer& to) {
        QuintaraSettings stored = settings;
        stored.servidor = AddressOf(to);
        stored.StoreIn(registry);
        handlers.cmdQuintara_Click();
    }

    // Earlier text in every box a pass writes, to see which ones it overwrites or empties.
    void FillPassBoxes() {
        for (TextBox box : kestrel::kPassBoxes) {
            services.boxes[box] = u"anterior";
        }
    }

    void ExpectPassPending() {
        EXPECT_TRUE(services.messages.empty());
        EXPECT_TRUE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Busy);
    }

    void ExpectOneMessageWithoutThePassword(MessageIcon icon = MessageIcon::None) {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text.find(U16(scenario.password)), std::u16string::npos);
        EXPECT_EQ(services.messages[0].icon, icon);
        EXPECT_FALSE(services.timerEnabled);
    }

    Scenario scenario;
    TdsTestServer server{scenario.Json()};
    QuintaraSettings settings;
    RecordingWindowServices services;
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{services, registry, prompt};
};

// A manager type that could not be read reads "Error" and is refused like any other unknown type:
// the program ends before anything reaches a server, even when the server could not be read too.
TEST_F(Handlers, OnlyTheSixManagerTypesConnectAnyOtherEndsTheProgramWithNoLogin) {
    const struct {
        const char* stored;  // nullptr: absent
        bool accepted;
        bool serverAbsent = false;
    } cases[] = {
        {"SQLServer7", true},     {"SQLServer2000", true},  {"SQLServer65", true},
        {"SQLServer", true},      {"MSDE", true},           {"MSDE2000", true},
        {"sqlserver2000", false}, {"SQLServer2005", false}, {nullptr, false},
        {nullptr, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored ? c.stored : "absent");
        services = {};
        settings.gerenciador = c.stored ? c.stored : "";
        settings.StoreIn(registry);
        if (!c.stored) {
            registry.Remove(kestrel::root_key::kLocalMachine, kKey, "GerenciadorBancoDados");
        }
        if (c.serverAbsent) {
            registry.Remove(kestrel::root_key::kLocalMachine, kKey, "Servidor");
        }
        handlers.cmdQuintara_Click();
        if (c.accepted) {
            ExpectPassPending();
            EXPECT_EQ(services.Text(TextBox::txtServidor), U16(settings.servidor));
            continue;
        }
        ExpectOneMessageWithoutThePassword(MessageIcon::Information);
        EXPECT_EQ(services.messages[0].text,
                  u"O tipo setado está: " + U16(c.stored ? c.stored : "Error") +
                      u"\r\nEste programa é somente para Servidor de Banco de Dados SQL Server, "
                      u"MSDE ou SQL Express.\r\nEntre em contato com o suporte do Quintara "
                      u"suporte@norvik.com.br.");
        EXPECT_EQ(services.endProgramCalls, 1);
    }
    EXPECT_EQ(server.count("LOGIN"), 6u);
    EXPECT_EQ(prompt.calls, 0);
}

// An empty value, or one that could not be read (absent, or too long for the reader), that would be
// sent to the server opens the dialog instead: "Error" would go out as a host name, or the stored
// login to the wrong place. Cancelled there, nothing reaches a server; answered, the dialog's
// connection is made and names its server.
TEST_F(Handlers, UnusableSettingsOpenTheDialogAndAreNeverSent) {
    const std::string tooLong(255, 'x');
    const struct {
        const char* what;
        const char* name;
        const char* text;  // nullptr: absent
        bool answered = false;
    } cases[] = {
        {"server empty", "Servidor", "", true},
        {"database name empty", "BancoBados", ""},
        {"manager type empty", "GerenciadorBancoDados", ""},
        {"server absent", "Servidor", nullptr},
        {"server too long", "Servidor", tooLong.c_str()},
        {"database name absent", "BancoBados", nullptr, true},
        {"login name absent, server login", "NameUser", nullptr},
        {"password too long, server login", "Password", tooLong.c_str()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        services.pointer = MousePointer::Busy;  // a pass still pending from an earlier connect
        settings.StoreIn(registry);
        if (c.text) {
            registry.Set(kestrel::root_key::kLocalMachine, kKey, c.name,
                         {kestrel::registry_type::kString, c.text + std::string(1, '\0')});
        } else {
            registry.Remove(kestrel::root_key::kLocalMachine, kKey, c.name);
        }
        const int dialogsBefore = prompt.calls;
        prompt.answers.push_back(c.answered ? std::optional(DialogString(server, scenario.password))
                                            : std::nullopt);

        handlers.cmdQuintara_Click();

        EXPECT_EQ(prompt.calls - dialogsBefore, 1);
        EXPECT_EQ(services.endProgramCalls, 0);
        if (c.answered) {
            ExpectPassPending();
            EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
        } else {
            ExpectOneMessageWithoutThePassword();
            EXPECT_EQ(services.messages[0].text,
                      u"A variável de objeto não foi definida: nenhuma "
                      u"conexão foi escolhida. - n. 91");
            EXPECT_EQ(services.pointer, MousePointer::Busy);
        }
    }
    EXPECT_EQ(server.count("LOGIN"), 2u);
}

// Integrated security only when UsarSSI reads exactly "1"; it then needs no stored login name and
// sends none. No Windows log-on can be had here: the message says what was attempted. A number 1
// stored as REG_DWORD reads as the character 1, not as "1": a server login.
TEST_F(Handlers, UsarSsiSelectsIntegratedSecurityOnlyWhenItReadsExactlyOne) {
    const struct {
        const char* what;
        FakeRegistry::Value usarSSI;
        bool nameUserAbsent;
        bool integrated;
    } cases[] = {
        {"the text 1", {kestrel::registry_type::kString, std::string("1\0", 2)}, true, true},
        {"the number 1",
         {kestrel::registry_type::kDword, std::string("\x01\0\0\0", 4)},
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        settings.StoreIn(registry);
        registry.Set(kestrel::root_key::kLocalMachine, kKey, "UsarSSI", c.usarSSI);
        if (c.nameUserAbsent) {
            registry.Remove(kestrel::root_key::kLocalMachine, kKey, "NameUser");
        }
        const std::size_t logins = server.count("LOGIN OK user=sa");
        handlers.cmdQuintara_Click();
        EXPECT_EQ(prompt.calls, 0);
        if (c.integrated) {
            ExpectOneMessageWithoutThePassword();
            EXPECT_NE(services.messages[0].text.find(u"segurança integrada"), std::u16string::npos);
            EXPECT_EQ(server.count("LOGIN OK user=sa"), logins);
            EXPECT_EQ(server.count("LOGIN REFUSED user=sa"), 0u);
        } else {
            ExpectPassPending();
            EXPECT_EQ(server.count("LOGIN OK user=sa"), logins + 1);
        }
    }
}

// The server's own message and number; the pointer of a pass still pending is not touched and no
// box is written.
TEST_F(Handlers, ARefusedStoredLoginShowsTheServersMessageAndNumber) {
    const struct {
        std::string QuintaraSettings::*field;
        const char* text;
        std::u16string message;
    } cases[] = {
        {&QuintaraSettings::password, "errada", u"Login failed for user 'sa'. - n. 18456"},
        {&QuintaraSettings::bancoDados, "Inexistente", u" - n. 4060"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        services = {};
        services.pointer = MousePointer::Busy;
        QuintaraSettings stored = settings;
        stored.*c.field = c.text;
        stored.StoreIn(registry);
        handlers.cmdQuintara_Click();
        ExpectOneMessageWithoutThePassword();
        EXPECT_TRUE(services.messages[0].text.ends_with(c.message));
        EXPECT_EQ(services.pointer, MousePointer::Busy);
        EXPECT_TRUE(services.boxes.empty());
    }
}

// A value holding ";" or beginning with "=" reaches the server whole, from the stored settings and
// from the dialog, and cannot change what else the connection says.
TEST_F(Handlers, SemicolonsAndLeadingEqualsInValuesReachTheServerWhole) {
    scenario.password = "=eq;Initial Catalog=master";
    scenario.databases[0].name = "=Quintara";
    const TdsTestServer quoted(scenario.Json());
    settings.password = scenario.password;
    settings.bancoDados = "=Quintara";
    ClickLerQuintara(quoted);
    ExpectPassPending();
    prompt.answers.push_back(DialogString(quoted, scenario.password, "=Quintara"));
    handlers.cmdNovaConexao_Click();
    ExpectPassPending();
    EXPECT_EQ(quoted.count("LOGIN OK user=sa database==Quintara"), 2u);
}

// "Ler Nova Conexão..." opens the dialog's string as it is, the registry unread; a cancel is error
// 91, and any failure is "Erro: " and the description, with the default pointer back and the boxes
// as they were.
TEST_F(Handlers, LerNovaConexaoOpensTheDialogsStringOrSaysWhatFailed) {
    const struct {
        const char* what;
        std::optional<std::u16string> answer;
        std::u16string message;  // the start of it; empty for none
    } cases[] = {
        {"a good string", DialogString(server, scenario.password), u""},
        {"cancelled", std::nullopt,
         u"Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida."},
        {"wrong password", DialogString(server, "errada"), u"Erro: Login failed for user 'sa'."},
        {"not SQL Server's provider", u"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=C:\\a.mdb",
         u"Erro: O provedor \"Microsoft.Jet.OLEDB.4.0\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        FillPassBoxes();
        services.pointer = MousePointer::Busy;
        prompt.answers.push_back(c.answer);
        handlers.cmdNovaConexao_Click();
        if (c.message.empty()) {
            ExpectPassPending();
            EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
            handlers.Timer1_Timer();
            continue;
        }
        ExpectOneMessageWithoutThePassword();
        EXPECT_TRUE(services.messages[0].text.starts_with(c.message));
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(services.Text(TextBox::txtVersao), u"anterior");
    }
    EXPECT_EQ(server.count("LOGIN OK user=sa database=Quintara"), 1u);
    EXPECT_TRUE(registry.openCalls.empty());
}

// A connect replaces the connection of a pass still pending: that pass never runs. When the new
// connect fails, the failure is the only message, the default pointer comes back and no box
// keeps another server's data beside the name in txtServidor; a late event of the cancelled
// timer does nothing.
TEST_F(Handlers, ReplacingAConnectionCancelsThePassStillPendingForIt) {
    for (const bool fromTheDialog : {false, true}) {
        SCOPED_TRACE(fromTheDialog ? "Ler Nova Conexão..." : "Ler Quintara...");
        services = {};
        Scenario other;
        other.productVersion = "11.0.5058.0";
        const TdsTestServer otherServer(other.Json());
        ClickLerQuintara(server);
        ClickLerQuintara(otherServer);
        handlers.Timer1_Timer();
        EXPECT_EQ(services.Text(TextBox::txtVersao),
                  u"11.0.5058.0 - SQL Server 2012 Service Pack 2");
        ClickLerQuintara(otherServer);
        const std::u16string named = services.Text(TextBox::txtServidor);

        if (fromTheDialog) {
            prompt.answers.push_back(DialogString(server, "errada"));
            handlers.cmdNovaConexao_Click();
        } else {
            settings.password = "errada";
            ClickLerQuintara(server);
            settings.password = scenario.password;
        }
        handlers.Timer1_Timer();

        ExpectOneMessageWithoutThePassword();
        EXPECT_NE(services.messages[0].text.find(u"Login failed for user 'sa'."),
                  std::u16string::npos);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(services.Text(TextBox::txtServidor), named);
        for (TextBox box : kestrel::kPassBoxes) {
            EXPECT_EQ(services.Text(box), u"");
        }
        EXPECT_EQ(otherServer.count("BATCH") + otherServer.count("RPC"), 2u);
    }
    EXPECT_EQ(server.count("BATCH") + server.count("RPC"), 0u);
}

TEST_F(Handlers, FecharEndsTheProgramAndDoesNothingElse) {
    handlers.Command1_Click();
    EXPECT_EQ(services.endProgramCalls, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.boxes.empty());
    EXPECT_FALSE(services.timerEnabled);
    EXPECT_TRUE(registry.openCalls.empty());
    EXPECT_EQ(prompt.calls, 0);
}

// The pass: the server's properties untrimmed, the database's size and first file trimmed, Null
// values as empty boxes (a Null version has no release), txtEngineEdition left alone; one log-on
// and two statements; then Timer1 off and the default pointer back.
TEST_F(Handlers, ThePassFillsTheSixBoxesWithNullsEmpty) {
    Scenario nulls;
    nulls.productVersion = nulls.productLevel = nulls.edition = std::nullopt;
    nulls.databases[0].dbSize = nulls.databases[0].files[0].filename = std::nullopt;
    scenario.productLevel = " SP2 ";
    const struct {
        const Scenario& scenario;
        std::vector<std::u16string> boxes;
    } cases[] = {
        {scenario,
         {kVersion, u" SP2 ", u"Standard Edition (64-bit)", u"Quintara", u"150.50 MB",
          u"D:\\Dados\\São Paulo\\Quintara.mdf"}},
        {nulls, {u" - Não identificado", u"", u"", u"Quintara", u"", u""}},
    };
    for (const auto& c : cases) {
        const TdsTestServer described(c.scenario.Json());
        services = {};
        FillPassBoxes();
        ClickLerQuintara(described);
        ExpectPassPending();
        handlers.Timer1_Timer();
        for (std::size_t i = 0; i < std::size(kestrel::kPassBoxes); ++i) {
            EXPECT_EQ(services.Text(kestrel::kPassBoxes[i]), c.boxes[i]) << i;
        }
        EXPECT_EQ(services.boxes.count(TextBox::txtEngineEdition), 0u);
        EXPECT_TRUE(services.messages.empty());
        EXPECT_FALSE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(described.count("LOGIN OK"), 1u);
        EXPECT_EQ(described.count("BATCH") + described.count("RPC"), 2u);
    }
}

// What a server sends can neither hide nor reorder what a box shows, nor flood it: control and
// direction characters are shown as signs, and values of a million characters are cut, the
// version's release label still after it.
TEST_F(Handlers, ThePassShowsHugeOrMisleadingValuesWithinTheBoundAndHonestly) {
    scenario.productLevel = std::string("SP2\r\n\0\x1B[2J", 10);
    scenario.edition = "Standard \u202E)tib-46( Edition";
    scenario.databases[0].files[0].filename = "D:\\Dados\\\u202Efdm.exe";
    const TdsTestServer misleading(scenario.Json());
    ClickLerQuintara(misleading);
    handlers.Timer1_Timer();
    EXPECT_EQ(services.Text(TextBox::txtNivel), u"SP2␍␊␀␛[2J");
    EXPECT_EQ(services.Text(TextBox::txtEdicao), u"Standard \uFFFD)tib-46( Edition");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"D:\\Dados\\\uFFFDfdm.exe");

    scenario.faults = R"({"value_chars": 1000000})";
    const TdsTestServer huge(scenario.Json());
    ClickLerQuintara(huge);
    handlers.Timer1_Timer();
    const std::u16string version = services.Text(TextBox::txtVersao);
    EXPECT_TRUE(version.starts_with(u"10.50.4000.010.50.4000.0"));
    EXPECT_NE(version.find(u" […] (valor cortado: o servidor enviou mais de 4000 caracteres) - "),
              std::u16string::npos);
    EXPECT_TRUE(version.ends_with(u" - SQL Server 2008"));
    // What a Qt or Win32 edit box holds whole.
    EXPECT_LT(version.size(), 30000u);
    EXPECT_LT(services.Text(TextBox::txtEdicao).size(), 30000u);
    EXPECT_TRUE(services.messages.empty());
}

// After "Ler Nova Conexão..." the pass describes the database the connection is in, not the one
// the stored settings name; a name that needs quoting included.
TEST_F(Handlers, AfterTheDialogThePassDescribesThatConnectionsDatabase) {
    ScenarioDatabase filial;
    filial.name = "Filial D'Oeste São João";
    filial.dbSize = "  12.00 MB";
    filial.files = {{"E:\\SQL\\Filial.mdf", "12288 KB"}};
    scenario.databases.push_back(filial);
    const TdsTestServer two(scenario.Json());
    ClickLerQuintara(two);
    handlers.Timer1_Timer();
    prompt.answers.push_back(DialogString(two, scenario.password, filial.name));
    handlers.cmdNovaConexao_Click();
    handlers.Timer1_Timer();

    EXPECT_EQ(services.Text(TextBox::txtBancoDados), u"Filial D'Oeste São João");
    EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"12.00 MB");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"E:\\SQL\\Filial.mdf");
    EXPECT_TRUE(services.messages.empty());
}

// A failing pass reports in a message, empties the boxes it had not reached and lets the program
// go on.
TEST_F(Handlers, AFailingPassSaysWhyAndLeavesNoEarlierDataBehind) {
    const struct {
        const char* what;
        std::string faults;
        std::size_t boxesWritten;
        std::u16string messageHolds;
    } cases[] = {
        {"server without SERVERPROPERTY", R"({"serverproperty_error": true})", 0,
         u"SERVERPROPERTY"},
        {"property query without rows", R"({"empty_result": "serverproperty"})", 0,
         u"Não há registro atual: o resultado da consulta não tem (mais) linhas."},
        {"database result without rows", R"({"empty_result": "sp_helpdb"})", 3, u""},
        {"no file list", R"({"no_second_result": true})", 5, u"arquivos"},
        {"connection dropped after the database row", R"({"close_on": "sp_helpdb"})", 5,
         u"A conexão com o servidor SQL Server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scenario.faults = c.faults;
        const TdsTestServer failing(scenario.Json());
        services = {};
        FillPassBoxes();
        ClickLerQuintara(failing);
        handlers.Timer1_Timer();

        ExpectOneMessageWithoutThePassword();
        EXPECT_TRUE(services.messages[0].text.starts_with(u"Erro: "));
        EXPECT_NE(services.messages[0].text.find(c.messageHolds), std::u16string::npos);
        EXPECT_GT(services.messages[0].text.size(), 6u);
        for (std::size_t i = 0; i < std::size(kestrel::kPassBoxes); ++i) {
            SCOPED_TRACE(i);
            if (i < c.boxesWritten) {
                EXPECT_NE(services.Text(kestrel::kPassBoxes[i]), u"anterior");
            } else {
                EXPECT_EQ(services.Text(kestrel::kPassBoxes[i]), u"");
            }
        }
        EXPECT_EQ(services.pointer, MousePointer::Default);
    }
}

}  // namespace
