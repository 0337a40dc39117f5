// The buttons and Timer1 without a window, over the real ODBC stack and the TDS test server.
#include "app/main_window_handlers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/window_text.h"
#include "support/calling_pump.h"
#include "support/handlers_without_a_window.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

namespace {

constexpr char kKey[] = "Software\\Norvik\\Database";
constexpr char16_t kVersion[] = u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2";

class Handlers : public ::testing::Test, protected HandlersWithoutAWindow {
protected:
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
};

FakeRegistry::Value Text(const std::string& text) {
    return {kestrel::registry_type::kString, text + '\0'};
}

// Stored settings connect, end the program (another or unreadable type) or open the dialog.
TEST_F(Handlers, StoredSettingsConnectEndTheProgramOrOpenTheDialog) {
    enum Outcome { kConnects, kEnds, kDialog, kDialogAnswered, kIntegrated };
    using Changes = std::vector<std::pair<const char*, std::optional<FakeRegistry::Value>>>;
    const std::string tooLong(255, 'x');
    const struct {
        const char* what;
        Changes changes;
        Outcome outcome;
    } cases[] = {
        {"SQLServer7", {{"GerenciadorBancoDados", Text("SQLServer7")}}, kConnects},
        {"SQLServer2000", {}, kConnects},
        {"SQLServer65", {{"GerenciadorBancoDados", Text("SQLServer65")}}, kConnects},
        {"SQLServer", {{"GerenciadorBancoDados", Text("SQLServer")}}, kConnects},
        {"MSDE", {{"GerenciadorBancoDados", Text("MSDE")}}, kConnects},
        {"MSDE2000", {{"GerenciadorBancoDados", Text("MSDE2000")}}, kConnects},
        {"sqlserver2000", {{"GerenciadorBancoDados", Text("sqlserver2000")}}, kEnds},
        {"SQLServer2005", {{"GerenciadorBancoDados", Text("SQLServer2005")}}, kEnds},
        {"manager type absent", {{"GerenciadorBancoDados", std::nullopt}}, kEnds},
        {"server absent, SQLServer2005",
         {{"Servidor", std::nullopt}, {"GerenciadorBancoDados", Text("SQLServer2005")}},
         kEnds},
        {"server empty", {{"Servidor", Text("")}}, kDialogAnswered},
        {"database name empty", {{"BancoBados", Text("")}}, kDialog},
        {"manager type empty", {{"GerenciadorBancoDados", Text("")}}, kDialog},
        {"server absent", {{"Servidor", std::nullopt}}, kDialog},
        {"server too long", {{"Servidor", Text(tooLong)}}, kDialog},
        {"database name absent", {{"BancoBados", std::nullopt}}, kDialogAnswered},
        {"login name absent, server login", {{"NameUser", std::nullopt}}, kDialog},
        {"UsarSSI the text 1, login name absent",
         {{"UsarSSI", Text("1")}, {"NameUser", std::nullopt}},
         kIntegrated},
        {"UsarSSI the number 1",
         {{"UsarSSI", FakeRegistry::Value{kestrel::registry_type::kDword, {"\x01\0\0\0", 4}}}},
         kConnects},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        services = {};
        services.pointer = MousePointer::Busy;  // a pass still pending from an earlier connect
        settings.StoreIn(registry);
        for (const auto& [name, value] : c.changes) {
            if (value) {
                registry.Set(kestrel::root_key::kLocalMachine, kKey, name, *value);
            } else {
                registry.Remove(kestrel::root_key::kLocalMachine, kKey, name);
            }
        }
        const int dialogsBefore = prompt.calls;
        if (c.outcome == kDialog || c.outcome == kDialogAnswered) {
            prompt.answers.push_back(c.outcome == kDialog
                                         ? std::nullopt
                                         : std::optional(DialogString(server, scenario.password)));
        }

        handlers.cmdQuintara_Click();

        EXPECT_EQ(prompt.calls - dialogsBefore,
                  c.outcome == kDialog || c.outcome == kDialogAnswered);
        EXPECT_EQ(services.endProgramCalls, c.outcome == kEnds ? 1 : 0);
        switch (c.outcome) {
            case kConnects:
                ExpectPassPending();
                EXPECT_EQ(services.Text(TextBox::txtServidor), U16(settings.servidor));
                break;
            case kDialogAnswered:
                ExpectPassPending();
                EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
                break;
            case kEnds: {
                std::u16string type = u"SQLServer2000";
                for (const auto& [name, value] : c.changes) {
                    type = value ? U16(value->data.c_str()) : u"Error";
                }
                ExpectOneMessageWithoutThePassword(MessageIcon::Information);
                EXPECT_EQ(services.messages[0].text,
                          u"O tipo setado está: " + type +
                              u"\r\nEste programa é somente para Servidor de Banco de Dados SQL "
                              u"Server, MSDE ou SQL Express.\r\nEntre em contato com o suporte do "
                              u"Quintara suporte@norvik.com.br.");
                break;
            }
            case kDialog:
                ExpectOneMessageWithoutThePassword();
                EXPECT_EQ(services.messages[0].text,
                          u"A variável de objeto não foi definida: "
                          u"nenhuma conexão foi escolhida. - n. 91");
                EXPECT_EQ(services.pointer, MousePointer::Busy);
                break;
            case kIntegrated:
                ExpectOneMessageWithoutThePassword();
                EXPECT_NE(services.messages[0].text.find(u"segurança integrada"),
                          std::u16string::npos);
                break;
        }
    }
    // One log-on for each connect, none for the others.
    EXPECT_EQ(server.count("LOGIN"), 9u);
}

// A fault of the program itself is said as a failure, the default pointer back; it goes on.
TEST_F(Handlers, AFaultOfTheProgramIsSaidAndTheProgramGoesOn) {
    services.pointer = MousePointer::Busy;
    prompt.fault = "basic_string_view::substr: __pos (which is 7) > __size (which is 6)";
    handlers.cmdNovaConexao_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              u"Erro inesperado: basic_string_view::substr: __pos (which is 7) > __size "
              u"(which is 6)");
    EXPECT_EQ(services.pointer, MousePointer::Default);
    EXPECT_FALSE(services.timerEnabled);
    EXPECT_EQ(services.endProgramCalls, 0);

    services.messages.clear();
    prompt.answers.push_back(DialogString(server, scenario.password));
    handlers.cmdNovaConexao_Click();
    ExpectPassPending();
}

// Cancelling "Ler Nova Conexão..." is said as a failure, with the default pointer back.
TEST_F(Handlers, CancellingTheNewConnectionDialogIsSaidWithTheDefaultPointer) {
    ClickLerQuintara(server);
    prompt.answers.push_back(std::nullopt);
    handlers.cmdNovaConexao_Click();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text,
              u"Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida.");
    EXPECT_EQ(services.pointer, MousePointer::Default);
}

// A new connect cancels the pending pass; its failure leaves no other server's data behind.
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
        EXPECT_FALSE(services.timerEnabled);
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

// The pass fills the six boxes, or says why in one message and empties those it had not reached.
TEST_F(Handlers, ThePassFillsTheSixBoxesOrSaysWhyItCouldNot) {
    const std::u16string full[] = {
        kVersion,    u" SP2 ",     u"Standard Edition (64-bit)",
        u"Quintara", u"150.50 MB", u"D:\\Dados\\São Paulo\\Quintara.mdf"};
    const std::u16string nulls[] = {u" - Não identificado", u"", u"", u"Quintara", u"", u""};
    const struct {
        const char* what;
        std::string faults;
        std::size_t written;     // the boxes written before the failure
        std::u16string message;  // what the message holds after "Erro: "; empty for none
    } cases[] = {
        {"a full answer", "{}", 6, u""},
        {"Null values", "nulls", 6, u""},
        {"server without SERVERPROPERTY", R"({"serverproperty_error": true})", 0,
         u"SERVERPROPERTY"},
        {"property query without rows", R"({"empty_result": "serverproperty"})", 0,
         u"Não há registro atual: o resultado da consulta não tem (mais) linhas."},
        {"database result without rows", R"({"empty_result": "sp_helpdb"})", 3, u"Não há registro"},
        {"no file list", R"({"no_second_result": true})", 5,
         u"O servidor não informou os arquivos do banco de dados (não há um segundo resultado)."},
        {"connection dropped after the database row", R"({"close_on": "sp_helpdb"})", 5,
         u"A conexão com o servidor SQL Server"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario described = scenario;
        described.productLevel = " SP2 ";
        if (c.faults == "nulls") {
            described.productVersion = described.productLevel = described.edition = std::nullopt;
            described.databases[0].dbSize = std::nullopt;
            described.databases[0].files[0].filename = std::nullopt;
        } else {
            described.faults = c.faults;
        }
        const TdsTestServer describing(described.Json());
        services = {};
        FillPassBoxes();
        ClickLerQuintara(describing);
        ExpectPassPending();
        handlers.Timer1_Timer();

        for (std::size_t i = 0; i < std::size(kestrel::kPassBoxes); ++i) {
            const std::u16string& shown = c.faults == "nulls" ? nulls[i] : full[i];
            EXPECT_EQ(services.Text(kestrel::kPassBoxes[i]), i < c.written ? shown : u"") << i;
        }
        EXPECT_EQ(services.boxes.count(TextBox::txtEngineEdition), 0u);
        EXPECT_FALSE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        if (c.message.empty()) {
            EXPECT_TRUE(services.messages.empty());
            EXPECT_EQ(describing.count("LOGIN OK"), 1u);
            EXPECT_EQ(describing.count("BATCH") + describing.count("RPC"), 2u);
        } else {
            ExpectOneMessageWithoutThePassword();
            EXPECT_TRUE(services.messages[0].text.starts_with(u"Erro: "));
            EXPECT_NE(services.messages[0].text.find(c.message), std::u16string::npos);
        }
    }
}

// A log-on that never comes is given up at the program's own bound of 15 s on the clock.
TEST_F(Handlers, AStalledLogOnIsGivenUpAfterFifteenSeconds) {
    Scenario stalling = scenario;
    stalling.faults = R"({"stall": true})";
    const TdsTestServer stalled(stalling.Json());
    const auto start = std::chrono::steady_clock::now();
    ClickLerQuintara(stalled);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(14900));
    EXPECT_LT(waited, std::chrono::seconds(20));
    ExpectOneMessageWithoutThePassword();
    EXPECT_NE(services.messages[0].text.find(u"não respondeu ao login em 15 segundos"),
              std::u16string::npos);
}

// "Copiar tudo" copies only a window that a pass filled: not before, while pending, nor half-way.
TEST_F(Handlers, CopiarTudoCopiesOnlyAWindowThatAPassFilled) {
    const std::u16string end(kestrel::kClipboardLineEnd);
    handlers.CopiarTudo();
    ClickLerQuintara(server);
    handlers.CopiarTudo();
    EXPECT_TRUE(services.clipboard.empty());
    handlers.Timer1_Timer();
    handlers.CopiarTudo();
    ASSERT_EQ(services.clipboard.size(), 1u);
    EXPECT_EQ(services.clipboard[0], u"Servidor: " + U16(AddressOf(server)) + end +
                                         u"Versão do SQL Server: " + kVersion + end +
                                         u"Nível do SQL Server: SP2" + end +
                                         u"Edição do SQL Server: Standard Edition (64-bit)" + end +
                                         u"Edição:" + end + u"Nome do Banco de Dados: Quintara" +
                                         end + u"Tamanho do Banco de Dados: 150.50 MB" + end +
                                         u"Local Banco: D:\\Dados\\São Paulo\\Quintara.mdf" + end);

    ClickLerQuintara(server);
    handlers.CopiarTudo();
    Scenario failing = scenario;
    failing.faults = R"({"close_on": "sp_helpdb"})";
    const TdsTestServer halfWay(failing.Json());
    ClickLerQuintara(halfWay);
    handlers.Timer1_Timer();
    handlers.CopiarTudo();
    EXPECT_EQ(services.clipboard.size(), 1u);
    EXPECT_FALSE(handlers.WindowFilled());
}

// A command given while a log-on waits runs nothing, the tick comes again; "&Fechar" still ends.
TEST_F(Handlers, CommandsGivenDuringAWaitRunNothingButFechar) {
    using kestrel::WindowCommand;
    Scenario slow = scenario;
    slow.faults = R"({"login_delay_ms": 500})";
    const TdsTestServer slowServer(slow.Json());
    QuintaraSettings stored = settings;
    stored.servidor = AddressOf(slowServer);
    stored.StoreIn(registry);
    {
        const CallingPump pressingEverything([this] {
            for (WindowCommand command :
                 {WindowCommand::cmdQuintara, WindowCommand::cmdNovaConexao, WindowCommand::Timer1,
                  WindowCommand::CopiarTudo, WindowCommand::Command1}) {
                handlers.Run(command);
            }
        });
        handlers.Run(WindowCommand::cmdQuintara);
    }

    EXPECT_EQ(slowServer.count("LOGIN"), 1u);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.clipboard.empty());
    EXPECT_GT(services.endProgramCalls, 0);
    handlers.Run(WindowCommand::Timer1);
    EXPECT_EQ(services.Text(TextBox::txtVersao), kVersion);
}

// A connect pressed while the other's dialog is open (a screen reader) runs nothing.
TEST_F(Handlers, AConnectPressedWhileTheDialogIsOpenRunsNothing) {
    using kestrel::WindowCommand;
    prompt.whileOpen = [this] {
        handlers.Run(WindowCommand::cmdQuintara);
        handlers.Run(WindowCommand::cmdNovaConexao);
    };
    prompt.answers.push_back(DialogString(server, scenario.password));
    handlers.Run(WindowCommand::cmdNovaConexao);
    EXPECT_EQ(prompt.calls, 1);
    EXPECT_EQ(server.count("LOGIN"), 1u);
    ExpectPassPending();
}

TEST(CaptionAsShown, DropsTheAccessKeysAmpersand) {
    EXPECT_EQ(kestrel::CaptionAsShown(u"&Fechar"), u"Fechar");
    EXPECT_EQ(kestrel::CaptionAsShown(u"P&&D: &x"), u"P&D: x");
    EXPECT_EQ(kestrel::CaptionAsShown(u"fim&"), u"fim");
}

}  // namespace
