// kestrel.exe itself, started as a user starts it and driven from outside its process: "Ler
// Quintara..." from settings that reg.exe wrote, through odbc32 to the TDS test server; its
// message boxes read back from the boxes themselves; the ends of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

#include <nlohmann/json.hpp>

#include "app/win32/resource.h"
#include "support/kestrel_exe.h"
#include "support/kestrel_exe_with_settings.h"
#include "support/redirected_run.h"
#include "support/win32_ui.h"

using namespace std::chrono_literals;

namespace {

// Through advapi32, the SQL Server Browser asked over Winsock, and odbc32, which Wine hands to
// unixODBC and FreeTDS; from a folder that holds an odbc32.dll of its own, which is not loaded even
// where Windows looks in the program's folder first for it, as for every DLL that is not a known
// one (ctest runs this a second time with WINEDLLOVERRIDES="odbc32=n,b", read as a process starts).
TEST_F(KestrelExeWithSettings, LerQuintaraFillsTheWindowBesideAPlantedOdbc32) {
    wchar_t temp[MAX_PATH];
    ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
    const std::filesystem::path folder =
        std::filesystem::path(temp) /
        (L"kestrel-planted-" + std::to_wstring(GetCurrentProcessId()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::copy_file(ProgramPath(), folder / L"kestrel.exe");
    std::filesystem::copy_file(BuiltFile(KESTREL_PLANTED_ODBC32), folder / L"odbc32.dll");
    StoreSettings();
    {
        const KestrelExe kestrel((folder / L"kestrel.exe").wstring());
        ASSERT_NE(kestrel.Window(), nullptr) << "exit code " << kestrel.ExitCode();
        kestrel.Click(L"Ler Quintara...");
        WaitForWindow(
            [&] { return kestrel.Box(L"Local Banco:").empty() ? nullptr : kestrel.Window(); }, 30s);
        EXPECT_EQ(kestrel.Box(L"Servidor:"), Named());
        EXPECT_EQ(kestrel.Box(L"Nome do Banco de Dados:"), L"Quintara");
        EXPECT_EQ(kestrel.Box(L"Local Banco:"), L"D:\\Dados\\São Paulo\\Quintara.mdf");
        EXPECT_EQ(FindOwnedDialog(kestrel.Window()), nullptr);
    }
    EXPECT_FALSE(std::filesystem::exists(folder / L"planted-odbc32-loaded"));
    EXPECT_EQ(m_server.count("LOGIN OK user=sa database=Quintara"), 1u);
    EXPECT_EQ(m_server.count("BROWSER INSTANCE QUINTARA"), 1u);
    std::filesystem::remove_all(folder);
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
        {com, L"/json", L"SQLServer2000", 0, "SQL Server 2008 R2 Service Pack 2", ""},
        {ProgramPath(), L"/relatorio", L"Oracle", 4, "", "O tipo setado está: Oracle\r\n"},
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

constexpr const char* kStalledLogOn = R"({"stall": true})";
constexpr const char* kSlowLogOn = R"({"login_delay_ms": 6000})";
constexpr const char* kStalledPass = R"({"stall_after_login": true})";

// While it waits for a server that stalls at the log-on or after it, the window answers at once,
// and each way a user has of ending it, with the mouse and the keyboard, ends the process at once,
// well within the 15 s or 30 s bound.
TEST_F(KestrelExeWithSettings, EndingDuringAStalledWaitEndsTheProcessAtOnce) {
    const struct {
        const char* what;
        void (*end)(const KestrelExe&);
    } routes[] = {
        {"a click on Fechar", [](const KestrelExe& k) { ClickWithTheMouse(k.Button(L"&Fechar")); }},
        {"Alt+F",
         [](const KestrelExe&) {
             PressKeys({VK_MENU, 'F'});
         }},
        {"Alt+F4",
         [](const KestrelExe&) {
             PressKeys({VK_MENU, VK_F4});
         }},
        // What the title bar's close gives; under Wine the title bar is the window manager's.
        {"the title bar's close",
         [](const KestrelExe& k) { PostMessageW(k.Window(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
    };
    for (const char* faults : {kStalledLogOn, kStalledPass}) {
        for (const auto& route : routes) {
            SCOPED_TRACE(std::string(route.what) + " " + faults);
            Scenario scenario = WithBrowser();
            scenario.faults = faults;
            const TdsTestServer stalled(scenario.Json());
            StoreSettings({{L"Servidor", L"REG_SZ", Wide(stalled.address()) + L"\\QUINTARA"}});
            const KestrelExe kestrel;
            ASSERT_NE(kestrel.Window(), nullptr);
            SetForegroundWindow(kestrel.Window());
            kestrel.Click(L"Ler Quintara...");
            std::this_thread::sleep_for(3s);
            DWORD_PTR answer = 0;
            EXPECT_NE(SendMessageTimeoutW(kestrel.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000,
                                          &answer),
                      0);
            const auto asked = std::chrono::steady_clock::now();
            route.end(kestrel);
            EXPECT_EQ(kestrel.ExitCode(), 0u);
            EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
        }
    }
}

// Every command pressed by another program (BM_CLICK to each button, WM_COMMAND as from each)
// while a log-on or a pass waits, in the window or in the connection dialog, runs nothing: the
// server sees one log-on, and the program lives on with no other window; "Fechar" so pressed still
// ends it at once.
TEST_F(KestrelExeWithSettings, CommandsPressedDuringAWaitRunNothing) {
    const auto pressAll = [](HWND window, std::initializer_list<int> ids) {
        for (int id : ids) {
            const HWND button = GetDlgItem(window, id);
            PostMessageW(button, BM_CLICK, 0, 0);
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button));
        }
    };
    const struct {
        const char* what;
        const char* faults;
        bool inTheDialog;
    } cases[] = {
        {"the window, a slow log-on", kSlowLogOn, false},
        {"the window, a stalled pass", kStalledPass, false},
        {"the dialog's Testar conexão, a slow log-on", kSlowLogOn, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Scenario scenario = WithBrowser();
        scenario.faults = c.faults;
        const TdsTestServer server(scenario.Json());
        StoreSettings({{L"Servidor", L"REG_SZ", Wide(server.address()) + L"\\QUINTARA"}});
        const KestrelExe kestrel;
        ASSERT_NE(kestrel.Window(), nullptr);
        const int quintara = GetDlgCtrlID(kestrel.Button(L"Ler Quintara..."));
        const int novaConexao = GetDlgCtrlID(kestrel.Button(L"Ler Nova Conexão..."));
        HWND dialog = nullptr;
        if (c.inTheDialog) {
            kestrel.Click(L"Ler Nova Conexão...");
            dialog = kestrel.WaitForModal();
            ASSERT_NE(dialog, nullptr);
            Type(dialog, IDC_SERVER, Wide(server.address()) + L"\\QUINTARA");
            Type(dialog, IDC_USER_NAME, L"sa");
            Type(dialog, IDC_PASSWORD, Wide(m_scenario.password));
            Answer(dialog, IDC_TEST_CONNECTION);
        } else {
            kestrel.Click(L"Ler Quintara...");
        }
        std::this_thread::sleep_for(2s);
        pressAll(kestrel.Window(), {quintara, novaConexao});
        PostMessageW(kestrel.Window(), WM_COMMAND, MAKEWPARAM(IDM_COPIAR_TUDO, 1), 0);
        if (dialog != nullptr) {
            pressAll(dialog, {IDC_TEST_CONNECTION, IDC_REFRESH, IDOK, IDCANCEL});
        }
        std::this_thread::sleep_for(7s);

        EXPECT_EQ(WaitForSingleObject(kestrel.Process(), 0), DWORD(WAIT_TIMEOUT));
        EXPECT_EQ(server.count("LOGIN OK"), 1u);
        const HWND open = FindOwnedDialog(kestrel.Window());
        if (dialog != nullptr) {
            EXPECT_TRUE(open == dialog && FindOwnedDialog(dialog) != nullptr);
        } else {
            EXPECT_EQ(open, nullptr);
            const auto asked = std::chrono::steady_clock::now();
            kestrel.Click(L"&Fechar");
            EXPECT_EQ(kestrel.ExitCode(), 0u);
            EXPECT_LT(std::chrono::steady_clock::now() - asked, 5s);
        }
    }
}

}  // namespace
