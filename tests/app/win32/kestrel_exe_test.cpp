// kestrel.exe itself, started as a user starts it and driven from outside its process: "Ler
// Quintara..." from settings that reg.exe wrote, through odbc32 to the TDS test server; its
// message boxes read back from the boxes themselves; the ends of the program.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "support/reg_exe.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/win32_ui.h"
#include "support/wine.h"

using namespace std::chrono_literals;

namespace {

constexpr std::wstring_view kQuintaraKey = L"HKLM\\Software\\Norvik\\Database";

// The program as the build made it; a Unix path is seen through Wine's drive Z:.
std::wstring ProgramPath() {
    std::wstring path;
    for (const char* c = KESTREL_EXE; *c != '\0'; ++c) {
        path += *c == '/' ? L'\\' : wchar_t(*c);
    }
    return KESTREL_EXE[0] == '/' ? L"Z:" + path : path;
}

class KestrelExe {
public:
    KestrelExe() {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + ProgramPath() + L"\"";
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &m_process)) {
            return;
        }
        WaitForInputIdle(m_process.hProcess, 30000);
        m_window = WaitForWindow(
            [this] {
                HWND found = nullptr;
                while ((found = FindWindowExW(nullptr, found, L"KestrelFrmPrincipal", nullptr))) {
                    DWORD owner = 0;
                    GetWindowThreadProcessId(found, &owner);
                    if (owner == m_process.dwProcessId && IsWindowVisible(found)) {
                        return found;
                    }
                }
                return HWND(nullptr);
            },
            30s);
    }
    ~KestrelExe() {
        if (m_process.hProcess != nullptr) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_process.hProcess, 1);
                WaitForSingleObject(m_process.hProcess, 30000);
            }
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
    }
    KestrelExe(const KestrelExe&) = delete;
    KestrelExe& operator=(const KestrelExe&) = delete;

    HWND Window() const { return m_window; }
    // Found as a user's tools find them: a button by its caption, a box by the label before it.
    HWND Button(const wchar_t* caption) const {
        return FindWindowExW(m_window, nullptr, L"Button", caption);
    }
    std::wstring Box(const wchar_t* label) const {
        return ControlText(
            GetWindow(FindWindowExW(m_window, nullptr, L"Static", label), GW_HWNDNEXT));
    }
    void Click(const wchar_t* caption) const { PostMessageW(Button(caption), BM_CLICK, 0, 0); }
    HWND WaitForModal() const {
        return WaitForWindow([this] { return FindOwnedDialog(m_window); }, 30s);
    }
    // The exit code once the process has ended, at most 30 s from now; STILL_ACTIVE if it has not.
    DWORD ExitCode() const {
        WaitForSingleObject(m_process.hProcess, 30000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};

// A message box as its user sees it.
struct Shown {
    std::wstring title;
    std::wstring text;
    bool ownedByTheWindow;
    bool icon;
};

Shown ReadAndClose(const KestrelExe& kestrel, HWND box) {
    Shown shown{ControlText(box), MessageBoxText(box), GetWindow(box, GW_OWNER) == kestrel.Window(),
                MessageBoxHasIcon(box)};
    Answer(box, IDOK);
    return shown;
}

// Tests that write Quintara's settings into HKEY_LOCAL_MACHINE.
class KestrelExeWithSettings : public ::testing::Test {
protected:
    void SetUp() override {
        if (!ThrowawayWinePrefix()) {
            GTEST_SKIP() << "writes Quintara's settings into HKEY_LOCAL_MACHINE: runs only in the "
                            "Wine prefix that scripts/test-windows.sh makes for the run";
        }
        RunReg(L"delete " + std::wstring(kQuintaraKey) + L" /f");
    }

    void StoreSettings(const std::wstring& manager, const std::wstring& password) {
        const std::wstring server = L"127.0.0.1," + std::to_wstring(m_server.port());
        const struct {
            const wchar_t* name;
            const wchar_t* type;
            std::wstring data;
        } settings[] = {
            {L"GerenciadorBancoDados", L"REG_SZ", manager},
            {L"Servidor", L"REG_SZ", server},
            {L"BancoBados", L"REG_SZ", L"Quintara"},
            {L"NameUser", L"REG_SZ", L"sa"},
            {L"Password", L"REG_SZ", password},
            {L"UsarSSI", L"REG_SZ", L"0"},
        };
        for (const auto& setting : settings) {
            ASSERT_TRUE(RunReg(L"add " + std::wstring(kQuintaraKey) + L" /v " + setting.name +
                               L" /t " + setting.type + L" /d \"" + setting.data + L"\" /f"));
        }
    }

    const TdsTestServer m_server{Scenario{}.Json()};
};

TEST_F(KestrelExeWithSettings, LerQuintaraFillsEveryBoxThroughOdbc32) {
    StoreSettings(L"SQLServer2000", L"Senha;1}");
    const KestrelExe kestrel;
    ASSERT_NE(kestrel.Window(), nullptr);

    kestrel.Click(L"Ler Quintara...");
    WaitForWindow([&] { return kestrel.Box(L"Local Banco:").empty() ? nullptr : kestrel.Window(); },
                  30s);

    EXPECT_EQ(kestrel.Box(L"Servidor:"), L"127.0.0.1," + std::to_wstring(m_server.port()));
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
}

TEST_F(KestrelExeWithSettings, ARefusedLoginIsToldInAPlainBoxOverTheWindow) {
    StoreSettings(L"SQLServer2000", L"errada");
    const KestrelExe kestrel;
    kestrel.Click(L"Ler Quintara...");
    const HWND box = kestrel.WaitForModal();
    ASSERT_NE(box, nullptr);

    const Shown shown = ReadAndClose(kestrel, box);
    EXPECT_EQ(shown.title, L"Kestrel");
    EXPECT_NE(shown.text.find(L"Login failed for user 'sa'. - n. 18456"), std::wstring::npos)
        << testing::PrintToString(shown.text);
    EXPECT_EQ(shown.text.find(L"errada"), std::wstring::npos);
    EXPECT_TRUE(shown.ownedByTheWindow);
    EXPECT_FALSE(shown.icon);
    EXPECT_EQ(kestrel.Box(L"Servidor:"), L"");
}

TEST_F(KestrelExeWithSettings, AnUnsupportedManagerIsToldWithTheInformationIconAndEndsTheProgram) {
    StoreSettings(L"Oracle", L"Senha;1}");
    const KestrelExe kestrel;
    kestrel.Click(L"Ler Quintara...");
    const HWND box = kestrel.WaitForModal();
    ASSERT_NE(box, nullptr);

    const Shown shown = ReadAndClose(kestrel, box);
    EXPECT_TRUE(shown.text.starts_with(L"O tipo setado está: Oracle\r\n"))
        << testing::PrintToString(shown.text);
    EXPECT_TRUE(shown.icon);
    EXPECT_EQ(kestrel.ExitCode(), 0u);
    EXPECT_EQ(m_server.count("LOGIN"), 0u);
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
    INPUT keys[4] = {};
    for (INPUT& key : keys) {
        key.type = INPUT_KEYBOARD;
    }
    keys[0].ki.wVk = VK_MENU;
    keys[1].ki.wVk = 'F';
    keys[2].ki.wVk = 'F';
    keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
    keys[3].ki.wVk = VK_MENU;
    keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(4, keys, sizeof(INPUT));
    EXPECT_EQ(kestrel.ExitCode(), 0u);
}

TEST(KestrelExe, ClosingTheWindowEndsTheProcess) {
    const KestrelExe kestrel;
    ASSERT_NE(kestrel.Window(), nullptr);
    PostMessageW(kestrel.Window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(kestrel.ExitCode(), 0u);
}

TEST(KestrelExe, TheProgramFileCarriesItsVersionIconAndManifest) {
    const std::wstring path = ProgramPath();
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(info.size()), info.data()));
    const auto value = [&](const wchar_t* name) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring query = L"\\StringFileInfo\\041604B0\\" + std::wstring(name);
        return VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&text), &length)
                   ? std::wstring(text)
                   : std::wstring(L"(none)");
    };
    EXPECT_EQ(value(L"ProductName"), L"Kestrel");
    EXPECT_EQ(value(L"ProductVersion"), L"" KESTREL_VERSION);

    const HMODULE file = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(file, nullptr);
    EXPECT_NE(FindResourceW(file, MAKEINTRESOURCEW(1), RT_GROUP_ICON), nullptr);
    const HRSRC manifest = FindResourceW(file, MAKEINTRESOURCEW(1), RT_MANIFEST);
    ASSERT_NE(manifest, nullptr);
    const std::string text(static_cast<const char*>(LockResource(LoadResource(file, manifest))),
                           SizeofResource(file, manifest));
    for (const char* setting : {"Microsoft.Windows.Common-Controls", "PerMonitorV2", "asInvoker"}) {
        EXPECT_NE(text.find(setting), std::string::npos) << setting;
    }
    FreeLibrary(file);
}

}  // namespace
