// The connection dialog on the Windows API, shown modal to the real window and used from another
// thread as a user would: its fields, "Testar conexão", "Atualizar lista" and the string it yields.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windowsx.h>

#include <thread>

#include "app/win32/frm_principal.h"
#include "app/win32/resource.h"
#include "app/win32/win32_connection_prompt.h"
#include "support/dialog_string.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/win32_ui.h"

using namespace std::chrono_literals;

namespace {

bool Enabled(HWND dialog, int field) {
    return IsWindowEnabled(GetDlgItem(dialog, field));
}

TEST(Win32DataLinkDialog, TestsListsAndYieldsTheStringOfItsFields) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    Scenario scenario;
    scenario.databases.push_back({"Quintara\r\nTreino", "     48.00 MB", {}});
    const TdsTestServer server(scenario.Json());
    const std::wstring address = L"127.0.0.1," + std::to_wstring(server.port());
    FrmPrincipal window;
    window.Show(SW_SHOWNORMAL);
    Win32ConnectionPrompt prompt(window);

    std::thread user([&] {
        const HWND dialog = WaitForWindow([&] { return FindOwnedDialog(window.Handle()); }, 30s);
        ASSERT_NE(dialog, nullptr);
        // The fields the log-on choice leaves (the rules are the form's) follow each click.
        SendMessageW(GetDlgItem(dialog, IDC_INTEGRATED_SECURITY), BM_CLICK, 0, 0);
        EXPECT_FALSE(Enabled(dialog, IDC_USER_NAME) || Enabled(dialog, IDC_BLANK_PASSWORD));
        SendMessageW(GetDlgItem(dialog, IDC_SERVER_LOGIN), BM_CLICK, 0, 0);
        EXPECT_TRUE(Enabled(dialog, IDC_USER_NAME) && Enabled(dialog, IDC_PASSWORD));

        Type(dialog, IDC_SERVER, address);
        Type(dialog, IDC_USER_NAME, L"sa");
        Type(dialog, IDC_PASSWORD, L"errada");
        const std::wstring refused = ClickAndReadTheMessage(dialog, IDC_TEST_CONNECTION);
        EXPECT_TRUE(refused.starts_with(L"Falha no teste de conexão:\nLogin failed for user 'sa'."))
            << testing::PrintToString(refused);
        EXPECT_EQ(refused.find(L"errada"), std::wstring::npos);

        Type(dialog, IDC_PASSWORD, L"Senha;1}");
        EXPECT_EQ(ClickAndReadTheMessage(dialog, IDC_TEST_CONNECTION),
                  L"Teste de conexão concluído com êxito. [icon]");

        Type(dialog, IDC_DATABASE, L"Quintara");
        Answer(dialog, IDC_REFRESH);
        const HWND databases = GetDlgItem(dialog, IDC_DATABASE);
        WaitForWindow(
            [&] { return SendMessageW(databases, CB_GETCOUNT, 0, 0) > 0 ? databases : nullptr; },
            30s);
        EXPECT_EQ(SendMessageW(databases, CB_GETCOUNT, 0, 0), 6);  // with the system's
        EXPECT_EQ(ControlText(databases), L"Quintara");
        // A name's line break is listed as signs; picked, the name is the server's own.
        const LRESULT broken = SendMessageW(databases, CB_FINDSTRINGEXACT, WPARAM(-1),
                                            LPARAM(L"Quintara\u240D\u240ATreino"));
        EXPECT_NE(broken, CB_ERR);
        SendMessageW(databases, CB_SETCURSEL, WPARAM(broken), 0);
        Answer(dialog, IDOK);
    });
    const std::optional<std::u16string> connectionString = prompt.PromptNew();
    user.join();

    EXPECT_EQ(connectionString, DialogString(server, "Senha;1}", "Quintara\r\nTreino"));
    EXPECT_EQ(server.count("LOGIN OK"), 2u);  // the test and the list
}

}  // namespace
