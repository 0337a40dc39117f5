// kestrel.exe itself, started as a user starts it and driven from outside its process: "Ler
// Quintara..." from settings that reg.exe wrote, through odbc32 to the TDS test server; its
// message boxes read back from the boxes themselves; the ends of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "inspection/box_text.h"
#include "support/kestrel_exe.h"
#include "support/redirected_run.h"
#include "support/reg_exe.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"
#include "support/win32_ui.h"
#include "support/wine.h"

using namespace std::chrono_literals;

namespace {

// Tests that write Quintara's settings into HKEY_LOCAL_MACHINE with reg.exe, for a server on port
// 1433 of a loopback address of its own whose SQL Server Browser knows QUINTARA.
class KestrelExeWithSettings : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ThrowawayWinePrefix()) {
            GTEST_SKIP() << "writes Quintara's settings into HKEY_LOCAL_MACHINE: runs only in the "
                            "Wine prefix that scripts/test-windows.sh makes for the run";
        }
    }

    // Quintara's settings as the product writes them, for the named instance, blanks around every
    // text, and `changes` after them; in the 32-bit view, where the 32-bit Quintara writes them on
    // 64-bit Windows.
    void StoreSettings(const std::vector<RegSetting>& changes = {}) {
        std::vector<RegSetting> settings = {
            {L"GerenciadorBancoDados", L"REG_SZ", L"  SQLServer2000  "},
            {L"Servidor", L"REG_SZ", L"  " + Named() + L"  "},
            {L"BancoBados", L"REG_SZ", L"  Quintara  "},
            {L"NameUser", L"REG_SZ", L"  sa  "},
            {L"Password", L"REG_SZ", L"  " + Wide(m_scenario.password) + L"  "},
            {L"UsarSSI", L"REG_DWORD", L"1"},
        };
        settings.insert(settings.end(), changes.begin(), changes.end());
        ASSERT_TRUE(StoreWithReg(L"HKLM\\Software\\Norvik\\Database", settings, L"/reg:32"));
    }

    std::wstring Named() const { return Wide(m_server.address()) + L"\\QUINTARA"; }

    static std::wstring Wide(const std::string& utf8) {
        const std::u16string text = U16(utf8);
        return std::wstring(text.begin(), text.end());
    }

    static Scenario WithBrowser() {
        Scenario scenario;
        scenario.address = "own";
        scenario.port = 1433;
        scenario.browserInstances = {"QUINTARA"};
        scenario.password = "Çenha;São";
        return scenario;
    }

    const Scenario m_scenario = WithBrowser();
    const TdsTestServer m_server{m_scenario.Json()};
};

// Through advapi32, the SQL Server Browser asked over Winsock, and odbc32, which Wine hands to
// unixODBC and FreeTDS.
TEST_F(KestrelExeWithSettings, LerQuintaraFillsEveryBox) {
    StoreSettings();
    const KestrelExe kestrel;
    ASSERT_NE(kestrel.Window(), nullptr);
    kestrel.Click(L"Ler Quintara...");
    WaitForWindow([&] { return kestrel.Box(L"Local Banco:").empty() ? nullptr : kestrel.Window(); },
                  30s);

    EXPECT_EQ(kestrel.Box(L"Servidor:"), Named());
    EXPECT_EQ(kestrel.Box(L"Versão do SQL Server:"),
              L"10.50.4000.0 - SQL Server 2008 R2 Service Pack 2");
    EXPECT_EQ(kestrel.Box(L"Nível do SQL Server:"), L"SP2");
    EXPECT_EQ(kestrel.Box(L"Edição do SQL Server:"), L"Standard Edition (64-bit)");
    EXPECT_EQ(kestrel.Box(L"Edição:"), L"");
    EXPECT_EQ(kestrel.Box(L"Nome do Banco de Dados:"), L"Quintara");
    EXPECT_EQ(kestrel.Box(L"Tamanho do Banco de Dados:"), L"150.50 MB");
    EXPECT_EQ(kestrel.Box(L"Local Banco:"), L"D:\\Dados\\São Paulo\\Quintara.mdf");
    EXPECT_EQ(FindOwnedDialog(kestrel.Window()), nullptr);
    EXPECT_EQ(m_server.count("LOGIN OK user=sa database=Quintara"), 1u);
    EXPECT_EQ(m_server.count("BROWSER INSTANCE QUINTARA"), 1u);
}

// One plain box over the window, the password never in it: an unsupported manager with the
// information icon, and the program ends with nothing sent; a failed log-on without an icon, the
// program going on.
TEST_F(KestrelExeWithSettings, SettingsItCannotUseAreToldInABoxOverTheWindow) {
    const struct {
        const char* what;
        const wchar_t* name;
        const wchar_t* type;
        const wchar_t* data;
        std::wstring messageHolds;
        bool icon;
        bool ends;
    } cases[] = {
        {"another database manager", L"GerenciadorBancoDados", L"REG_SZ", L"Oracle",
         L"O tipo setado está: Oracle\r\nEste programa é somente", true, true},
        {"a wrong password", L"Password", L"REG_SZ", L"errada",
         L"Login failed for user 'sa'. - n. 18456", false, false},
        {"integrated security, as the text 1", L"UsarSSI", L"REG_SZ", L"1", L"segurança integrada",
         false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StoreSettings({{c.name, c.type, c.data}});
        const KestrelExe kestrel;
        kestrel.Click(L"Ler Quintara...");
        const HWND box = kestrel.WaitForModal();
        ASSERT_NE(box, nullptr);

        const Shown shown = ReadAndClose(kestrel, box);
        EXPECT_EQ(shown.title, L"Kestrel");
        EXPECT_NE(shown.text.find(c.messageHolds), std::wstring::npos)
            << testing::PrintToString(shown.text);
        EXPECT_EQ(shown.text.find(Wide(m_scenario.password)), std::wstring::npos);
        EXPECT_TRUE(shown.ownedByTheWindow);
        EXPECT_EQ(shown.icon, c.icon);
        if (c.ends) {
            EXPECT_EQ(kestrel.ExitCode(), 0u);
        } else {
            EXPECT_EQ(kestrel.Box(L"Servidor:"), L"");
        }
    }
    EXPECT_EQ(m_server.count("LOGIN OK"), 0u);
}

// With arguments, kestrel.exe (and kestrel.com, which waits for it) opens no window and writes its
// report into the file its caller gave it as standard output, in UTF-8, or its message into
// standard error; the exit status tells the kind of failure.
TEST_F(KestrelExeWithSettings, TheReportGoesToTheCallersFilesWithAStatusPerKind) {
    const std::wstring com = ProgramPath().substr(0, ProgramPath().size() - 4) + L".com";
    const std::string lines =
        "Servidor: " + m_server.address() +
        "\\QUINTARA\r\nVersão do SQL Server: 10.50.4000.0 - SQL Server 2008 R2 Service Pack "
        "2\r\nNível do SQL Server: SP2\r\nEdição do SQL Server: Standard Edition (64-bit)\r\n"
        "Edição:\r\nNome do Banco de Dados: Quintara\r\nTamanho do Banco de Dados: 150.50 MB\r\n"
        "Local Banco: D:\\Dados\\São Paulo\\Quintara.mdf\r\n";
    const struct {
        std::wstring program;
        const wchar_t* arguments;
        const wchar_t* gerenciador;
        DWORD status;
        std::string out;  // exact, or the JSON's version name
        std::string errStart;
    } cases[] = {
        {ProgramPath(), L"/relatorio", L"SQLServer2000", 0, lines, ""},
        {com, L"--relatorio", L"SQLServer2000", 0, lines, ""},
        {ProgramPath(), L"/json", L"SQLServer2000", 0, "SQL Server 2008 R2 Service Pack 2", ""},
        {com, L"/relatorio", L"Oracle", 4, "", "O tipo setado está: Oracle\r\n"},
        {ProgramPath(), L"/servidor", L"SQLServer2000", 2, "", "Uso incorreto"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.arguments));
        StoreSettings({{L"GerenciadorBancoDados", L"REG_SZ", c.gerenciador}});
        const RedirectedRun run = RunRedirected(c.program, c.arguments);
        EXPECT_EQ(run.status, c.status);
        if (std::wstring_view(c.arguments) == L"/json") {
            const auto json = nlohmann::json::parse(run.out);
            EXPECT_EQ(json["versao_nome"], c.out);
            EXPECT_EQ(json["versao_numero"], "10.50.4000.0");
        } else {
            EXPECT_EQ(run.out, c.out);
        }
        EXPECT_TRUE(run.err.starts_with(c.errStart)) << run.err;
        EXPECT_EQ((run.out + run.err).find(m_scenario.password), std::string::npos);
    }
}

// Run by ctest with a list of drivers of its own, which Wine's odbc32 takes from unixODBC
// ($ODBCSYSINI/odbcinst.ini): "ODBC Driver 18 for SQL Server" listed without its library, as an
// uninstall can leave it, before FreeTDS, which then reaches the server.
TEST_F(KestrelExeWithSettings, ADriverLeftBehindGivesWayToFreeTds) {
    const wchar_t* drivers = _wgetenv(L"ODBCSYSINI");
    if (!drivers || !std::wstring_view(drivers).ends_with(L"driver-left-behind")) {
        GTEST_SKIP() << "ctest runs this with its own list of drivers";
    }
    StoreSettings();
    const KestrelExe kestrel;
    kestrel.Click(L"Ler Quintara...");
    WaitForWindow([&] { return kestrel.Box(L"Local Banco:").empty() ? nullptr : kestrel.Window(); },
                  30s);
    EXPECT_EQ(kestrel.Box(L"Nome do Banco de Dados:"), L"Quintara");
    EXPECT_EQ(FindOwnedDialog(kestrel.Window()), nullptr);
    EXPECT_EQ(m_server.count("LOGIN OK user=sa database=Quintara"), 1u);
}

// What a server sends is text in kestrel.exe too: markup in each value shows as it is, and a value
// of 5,000 characters shows its beginning, drawing what its first characters alone draw.
TEST_F(KestrelExeWithSettings, ServerValuesShowAsTextAndALongOneShowsItsBeginning) {
    const std::string markup = "<b>x</b><img src='/etc/passwd'><h1>t</h1>";
    Scenario scenario = WithBrowser();
    scenario.productLevel = scenario.edition = markup;
    scenario.databases = {{markup, markup, {{markup, "1 KB"}}}};
    scenario.faults = R"({"value_chars": 5000})";
    const TdsTestServer server(scenario.Json());
    StoreSettings({{L"Servidor", L"REG_SZ", Wide(server.address()) + L"\\QUINTARA"},
                   {L"BancoBados", L"REG_SZ", Wide(markup)}});
    const KestrelExe kestrel;
    kestrel.Click(L"Ler Quintara...");
    WaitForWindow([&] { return kestrel.Box(L"Local Banco:").empty() ? nullptr : kestrel.Window(); },
                  30s);

    std::u16string level;
    while (level.size() < 5000) {
        level += U16(markup);
    }
    level.resize(5000);
    const std::u16string shown = kestrel::BoxText(level, false);
    EXPECT_EQ(kestrel.Box(L"Nível do SQL Server:"), std::wstring(shown.begin(), shown.end()));
    for (const wchar_t* label :
         {L"Nome do Banco de Dados:", L"Tamanho do Banco de Dados:", L"Local Banco:"}) {
        EXPECT_EQ(kestrel.Box(label), Wide(markup));
    }
    const HWND box = GetWindow(
        FindWindowExW(kestrel.Window(), nullptr, L"Static", L"Nível do SQL Server:"), GW_HWNDNEXT);
    const std::vector<COLORREF> whole = PixelsOf(box);
    const std::wstring beginning(shown.begin(), shown.begin() + 100);
    SendMessageW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(beginning.c_str()));
    EXPECT_TRUE(PixelsOf(box) == whole);
}

// While it waits for a server that stalls at the log-on or after it, the window answers at once,
// and a close request or Alt+F ends the process at once, well within the 15 s or 30 s bound.
TEST_F(KestrelExeWithSettings, EndingDuringAStalledWaitEndsTheProcessAtOnce) {
    const struct {
        const char* what;
        const char* faults;
        bool altF;
    } cases[] = {
        {"closing the window during a stalled log-on", R"({"stall": true})", false},
        {"Alt+F during a stalled log-on", R"({"stall": true})", true},
        {"closing the window during a stalled pass", R"({"stall_after_login": true})", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario = WithBrowser();
        scenario.faults = c.faults;
        const TdsTestServer stalled(scenario.Json());
        StoreSettings({{L"Servidor", L"REG_SZ", Wide(stalled.address()) + L"\\QUINTARA"}});
        const KestrelExe kestrel;
        ASSERT_NE(kestrel.Window(), nullptr);
        kestrel.Click(L"Ler Quintara...");
        std::this_thread::sleep_for(3s);
        DWORD_PTR answer = 0;
        EXPECT_NE(
            SendMessageTimeoutW(kestrel.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000, &answer),
            0);
        const auto asked = std::chrono::steady_clock::now();
        if (c.altF) {
            SetForegroundWindow(kestrel.Window());
            PressKeys({VK_MENU, 'F'});
        } else {
            PostMessageW(kestrel.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        EXPECT_EQ(kestrel.ExitCode(), 0u);
        EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
    }
}

TEST(KestrelExe, CancellingTheConnectionDialogShowsError91) {
    const KestrelExe kestrel;
    kestrel.Click(L"Ler Nova Conexão...");
    const HWND dialog = kestrel.WaitForModal();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ControlText(dialog), L"Propriedades de vínculo de dados");
    Answer(dialog, IDCANCEL);

    const HWND box = WaitForWindow(
        [&] {
            const HWND found = FindOwnedDialog(kestrel.Window());
            return found != dialog ? found : nullptr;
        },
        30s);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(ReadAndClose(kestrel, box).text,
              L"Erro: A variável de objeto não foi definida: nenhuma conexão foi escolhida.");
    EXPECT_EQ(kestrel.Box(L"Servidor:"), L"");
}

TEST(KestrelExe, AltFEndsTheProcess) {
    const KestrelExe kestrel;
    ASSERT_NE(kestrel.Window(), nullptr);
    SetForegroundWindow(kestrel.Window());
    PressKeys({VK_MENU, 'F'});
    EXPECT_EQ(kestrel.ExitCode(), 0u);
}

TEST(KestrelExe, ClosingTheWindowEndsTheProcess) {
    const KestrelExe kestrel;
    ASSERT_NE(kestrel.Window(), nullptr);
    PostMessageW(kestrel.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(kestrel.ExitCode(), 0u);
}

}  // namespace
