// "Ler Quintara..." and the inspection pass under Wine, end to end: Quintara's settings written
// into HKEY_LOCAL_MACHINE by Wine's "reg add", read through advapi32, the connection made through
// odbc32 (which Wine hands to unixODBC and FreeTDS) to the TDS test server on the Linux side, and a
// recording window in place of the real one.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/main_window_handlers.h"
#include "connection/data_link_string.h"
#include "settings/platform_registry.h"
#include "support/recording_window_services.h"
#include "support/reg_exe.h"
#include "support/scenario.h"
#include "support/scripted_prompt.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"
#include "support/wine.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

namespace {

constexpr std::wstring_view kQuintaraKey = L"HKLM\\Software\\Norvik\\Database";

struct Setting {
    const wchar_t* name;
    const wchar_t* type;
    std::string data;
};

std::wstring Wide(const std::string& utf8) {
    const std::u16string text = U16(utf8);
    return std::wstring(text.begin(), text.end());
}

void Store(const Setting& setting) {
    const std::wstring arguments = L"add " + std::wstring(kQuintaraKey) + L" /v " + setting.name +
                                   L" /t " + setting.type + L" /d \"" + Wide(setting.data) +
                                   L"\" /f";
    ASSERT_TRUE(RunReg(arguments)) << "reg add of " << setting.name;
}

class QuintaraUnderWine : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ThrowawayWinePrefix()) {
            GTEST_SKIP() << "writes Quintara's settings into HKEY_LOCAL_MACHINE: runs only in the "
                            "Wine prefix that scripts/test-windows.sh makes for the run";
        }
        // Each test starts without the key; a missing one is no failure.
        RunReg(L"delete " + std::wstring(kQuintaraKey) + L" /f");
    }

    // Quintara's settings as the product writes them, for `server`, then `changes` over them.
    void StoreSettings(const TdsTestServer& server, const Scenario& scenario,
                       const std::vector<Setting>& changes, const std::string& blanks = "") {
        const std::string address = "127.0.0.1," + std::to_string(server.port());
        for (const Setting& setting :
             {Setting{L"GerenciadorBancoDados", L"REG_SZ", blanks + "SQLServer2000" + blanks},
              Setting{L"Servidor", L"REG_SZ", blanks + address + blanks},
              Setting{L"BancoBados", L"REG_SZ", blanks + "Quintara" + blanks},
              Setting{L"NameUser", L"REG_SZ", blanks + scenario.user + blanks},
              Setting{L"Password", L"REG_SZ", blanks + scenario.password + blanks},
              Setting{L"UsarSSI", L"REG_DWORD", "1"}}) {
            Store(setting);
        }
        for (const Setting& change : changes) {
            Store(change);
        }
    }

    void ExpectOneMessageWithoutThePassword(const Scenario& scenario) {
        ASSERT_EQ(services.messages.size(), 1u);
        EXPECT_EQ(services.messages[0].text.find(U16(scenario.password)), std::u16string::npos);
    }

    std::unique_ptr<kestrel::RegistryApi> registry = kestrel::MakePlatformRegistry();
    RecordingWindowServices services;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{
        services, *registry, prompt, {std::chrono::seconds(5), std::chrono::seconds(3)}};
};

TEST_F(QuintaraUnderWine, ConnectsWithTheStoredSettingsAndFillsTheBoxes) {
    const struct {
        const char* what;
        std::vector<Setting> changes;
        std::string blanks = "";
        std::string password = Scenario{}.password;
    } cases[] = {
        {"as Quintara writes them", {}},
        {"blanks around every text", {}, "  "},
        {"UsarSSI as the text 0", {{L"UsarSSI", L"REG_SZ", "0"}}},
        {"MSDE", {{L"GerenciadorBancoDados", L"REG_SZ", "MSDE"}}},
        {"a password in the ANSI code page", {}, "", "Çenha São"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario;
        scenario.password = c.password;
        const TdsTestServer server(scenario.Json());
        StoreSettings(server, scenario, c.changes, c.blanks);
        services = {};

        handlers.cmdQuintara_Click();
        EXPECT_TRUE(services.messages.empty());
        EXPECT_TRUE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Busy);
        EXPECT_EQ(services.Text(TextBox::txtServidor),
                  U16("127.0.0.1," + std::to_string(server.port())));

        handlers.Timer1_Timer();
        EXPECT_TRUE(services.messages.empty());
        EXPECT_FALSE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(services.Text(TextBox::txtVersao),
                  u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2");
        EXPECT_EQ(services.Text(TextBox::txtNivel), u"SP2");
        EXPECT_EQ(services.Text(TextBox::txtEdicao), u"Standard Edition (64-bit)");
        EXPECT_EQ(services.Text(TextBox::txtBancoDados), u"Quintara");
        EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"150.50 MB");
        EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"D:\\Dados\\São Paulo\\Quintara.mdf");
        EXPECT_EQ(server.count("LOGIN OK user=sa database=Quintara"), 1u);
        EXPECT_EQ(server.count("BATCH") + server.count("RPC"), 2u);
    }
}

// Wine hands the connection to FreeTDS, which needs a port for every form: 1433 for a plain host,
// the SQL Server Browser's answer, asked over Winsock, for a named instance.
TEST_F(QuintaraUnderWine, ReachesAPlainHostAndANamedInstance) {
    Scenario scenario;
    scenario.address = "own";
    scenario.port = 1433;
    scenario.browserInstances = {"QUINTARA"};
    const TdsTestServer server(scenario.Json());
    for (const std::string& servidor : {server.address(), server.address() + "\\QUINTARA"}) {
        SCOPED_TRACE(servidor);
        StoreSettings(server, scenario, {{L"Servidor", L"REG_SZ", servidor}});
        services = {};

        handlers.cmdQuintara_Click();
        ASSERT_TRUE(services.messages.empty()) << testing::PrintToString(services.messages[0].text);
        EXPECT_EQ(services.Text(TextBox::txtServidor), U16(servidor));
        handlers.Timer1_Timer();
        EXPECT_EQ(services.Text(TextBox::txtVersao),
                  u"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2");
    }
    EXPECT_EQ(server.count("LOGIN OK"), 2u);
    EXPECT_EQ(server.count("BROWSER INSTANCE QUINTARA"), 1u);
}

TEST_F(QuintaraUnderWine, SettingsItCannotUseGiveOneMessageAndNoLogin) {
    const struct {
        const char* what;
        std::vector<Setting> changes;
        std::u16string messageHolds;
        MessageIcon icon;
        bool endsProgram;
    } cases[] = {
        {"another database manager",
         {{L"GerenciadorBancoDados", L"REG_SZ", "Oracle"}},
         u"O tipo setado está: Oracle\r\nEste programa é somente para Servidor de Banco de Dados "
         u"SQL Server, MSDE ou SQL Express.",
         MessageIcon::Information,
         true},
        {"a wrong password",
         {{L"Password", L"REG_SZ", "errada"}},
         u"Login failed for user 'sa'. - n. 18456",
         MessageIcon::None,
         false},
        {"integrated security, as the text 1",
         {{L"UsarSSI", L"REG_SZ", "1"}},
         u"segurança integrada",
         MessageIcon::None,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Scenario scenario;
        const TdsTestServer server(scenario.Json());
        StoreSettings(server, scenario, c.changes);
        services = {};

        handlers.cmdQuintara_Click();

        ExpectOneMessageWithoutThePassword(scenario);
        EXPECT_NE(services.messages[0].text.find(c.messageHolds), std::u16string::npos);
        EXPECT_EQ(services.messages[0].icon, c.icon);
        EXPECT_EQ(services.endProgramCalls, c.endsProgram ? 1 : 0);
        EXPECT_FALSE(services.timerEnabled);
        EXPECT_EQ(services.pointer, MousePointer::Default);
        EXPECT_EQ(server.count("LOGIN OK"), 0u);
    }
}

TEST_F(QuintaraUnderWine, WithoutTheKeyTheManagerTypeReadsErrorAndTheProgramEnds) {
    handlers.cmdQuintara_Click();

    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_TRUE(services.messages[0].text.starts_with(u"O tipo setado está: Error\r\n"));
    EXPECT_EQ(services.endProgramCalls, 1);
    EXPECT_EQ(prompt.calls, 0);
}

TEST_F(QuintaraUnderWine, AnEmptyServerOpensTheConnectionDialog) {
    const Scenario scenario;
    const TdsTestServer server(scenario.Json());
    StoreSettings(server, scenario, {{L"Servidor", L"REG_SZ", ""}});
    prompt.answers.push_back(
        kestrel::BuildDataLinkString({.server = U16("127.0.0.1," + std::to_string(server.port())),
                                      .userName = U16(scenario.user),
                                      .password = U16(scenario.password),
                                      .database = u"Quintara"}));

    handlers.cmdQuintara_Click();

    EXPECT_EQ(prompt.calls, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(services.timerEnabled);
    // On the dialog's path the server names itself.
    EXPECT_EQ(services.Text(TextBox::txtServidor), u"SRVTESTE");
}

TEST_F(QuintaraUnderWine, AFailingPassEmptiesTheBoxesItDidNotReach) {
    Scenario scenario;
    scenario.faults = R"({"no_second_result": true})";
    const TdsTestServer server(scenario.Json());
    StoreSettings(server, scenario, {});
    services.boxes[TextBox::txtLocalBD] = u"anterior";

    handlers.cmdQuintara_Click();
    handlers.Timer1_Timer();

    ExpectOneMessageWithoutThePassword(scenario);
    EXPECT_TRUE(services.messages[0].text.starts_with(u"Erro: "));
    EXPECT_EQ(services.Text(TextBox::txtTamanhoBancoDados), u"150.50 MB");
    EXPECT_EQ(services.Text(TextBox::txtLocalBD), u"");
    EXPECT_FALSE(services.timerEnabled);
    EXPECT_EQ(services.pointer, MousePointer::Default);
}

}  // namespace
