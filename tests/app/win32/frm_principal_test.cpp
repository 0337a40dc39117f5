// The real Win32 window, in this process under Wine in Xvfb (or on Windows): its frame, controls,
// fonts, keyboard, boxes, pointer, and Timer1 reaching the pass while a modal box or the connection
// dialog is open.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <tuple>

#include "app/frm_principal_layout.h"
#include "app/win32/dpi.h"
#include "app/win32/resource.h"
#include "app/win32/win32_connection_prompt.h"
#include "base/text.h"
#include "inspection/box_text.h"
#include "support/dialog_string.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/utf16.h"
#include "support/win32_program.h"
#include "support/win32_ui.h"

using kestrel::TextBox;
using namespace std::chrono_literals;

namespace {

class Win32Window : public ::testing::Test, protected Win32Program {};

TEST_F(Win32Window, FrameIsFixedMinimisableCentredAndPerMonitorDpiAware) {
    const LONG_PTR style = GetWindowLongPtrW(window.Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

    RECT frame;
    GetWindowRect(window.Handle(), &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
    EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);

    EXPECT_NE(GetClassLongPtrW(window.Handle(), GCLP_HICON), 0);
    EXPECT_EQ(GetDpiForWindow(window.Handle()), 96u);
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetThreadDpiAwarenessContext()),
              DPI_AWARENESS_PER_MONITOR_AWARE);
}

// Each control of its class, with its caption and font (its place and that no caption is clipped
// are captions_test.cpp's, at every scale). Screen readers name a box after the label just before
// it among the window's controls.
TEST_F(Win32Window, EveryControlHasTheFormsClassCaptionAndFont) {
    for (const kestrel::ControlDescription& row : kestrel::FrmPrincipalControls()) {
        SCOPED_TRACE(std::string(row.name));
        const HWND control = window.Control(row.name);
        ASSERT_NE(control, nullptr);
        const std::wstring caption(row.caption.begin(), row.caption.end());
        EXPECT_EQ(ControlText(control), caption);
        const wchar_t* classes[] = {L"Button", L"Static", L"Edit", L"KestrelPictureBox"};
        EXPECT_EQ(ClassOf(control), classes[int(row.kind)]);
        if (row.kind == kestrel::ControlKind::TextBox) {
            EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY);
            const HWND before = GetWindow(control, GW_HWNDPREV);
            EXPECT_EQ(ControlText(before), std::wstring(kestrel::LabelOf(*row.box).caption.begin(),
                                                        kestrel::LabelOf(*row.box).caption.end()));
        }
        if (row.kind == kestrel::ControlKind::PictureBox) {
            continue;
        }
        LOGFONTW font{};
        ASSERT_NE(GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
                             sizeof font, &font),
                  0);
        EXPECT_STREQ(font.lfFaceName, L"MS Sans Serif");
        EXPECT_EQ(font.lfWeight, row.bold ? 700 : 400);
    }
}

// Windows 7 has neither of the newer dpi calls and Windows 8.1 only the monitor's (shcore); Wine
// has them all, so the older systems' ways are taken by leaving the calls out. Through each, the
// window is laid out at 96 dpi as through the newest: the same frame, client area and controls.
TEST(Win32WindowDpi, EachOlderSystemsWayLaysTheWindowOutAsTheNewestDoes) {
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);
    const DpiFunctions& newest = DpiFunctions::OfThisSystem();
    ASSERT_NE(newest.getDpiForWindow, nullptr);
    ASSERT_NE(newest.adjustWindowRectExForDpi, nullptr);
    ASSERT_NE(newest.getDpiForMonitor, nullptr);
    DpiFunctions windows81 = newest;
    windows81.getDpiForWindow = nullptr;
    windows81.adjustWindowRectExForDpi = nullptr;
    const struct {
        const char* system;
        DpiFunctions functions;
    } ways[] = {{"Windows 10 1607", newest}, {"Windows 8.1", windows81}, {"Windows 7", {}}};

    const auto placeOf = [](HWND window) {
        RECT place;
        GetWindowRect(window, &place);
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&place), 2);
        return std::tuple(place.left, place.top, place.right - place.left,
                          place.bottom - place.top);
    };
    const auto frameOf = [](HWND window) {
        RECT frame;
        GetWindowRect(window, &frame);
        return std::pair(frame.right - frame.left, frame.bottom - frame.top);
    };
    const FrmPrincipal reference(newest);
    for (const auto& way : ways) {
        SCOPED_TRACE(way.system);
        const FrmPrincipal window(way.functions);
        EXPECT_EQ(WindowDpi(window.Handle(), way.functions), 96u);
        EXPECT_EQ(frameOf(window.Handle()), frameOf(reference.Handle()));
        for (const kestrel::ControlDescription& row : kestrel::FrmPrincipalControls()) {
            EXPECT_EQ(placeOf(window.Control(row.name)), placeOf(reference.Control(row.name)))
                << row.name;
        }
    }
}

TEST_F(Win32Window, TabFollowsTheTabIndexFromTxtServidor) {
    EXPECT_EQ(GetFocus(), window.Box(TextBox::txtServidor));
    const char* const forward[] = {
        "txtVersao",  "txtNivel",    "txtEdicao",      "txtBancoDados",    "txtTamanhoBancoDados",
        "Command1",   "cmdQuintara", "cmdNovaConexao", "txtEngineEdition", "txtLocalBD",
        "txtServidor"};
    for (const char* expected : forward) {
        EXPECT_EQ(FocusAfter({VK_TAB}), expected);
    }
}

// A value of the longest a box holds (its bound, then the note that it was cut) shows its
// beginning, as its first characters alone do, the focus elsewhere; the box keeps the whole text
// for a copy, and its tip too (an empty box has none).
TEST_F(Win32Window, ALongValueShowsItsBeginningAndItsTipWraps) {
    std::u16string value;
    for (int i = 0; value.size() < 5000; ++i) {
        value += u"Valor" + kestrel::DecimalText(i) + u"; ";
    }
    const std::u16string shown = kestrel::BoxText(value, false);
    const HWND box = window.Box(TextBox::txtEdicao);
    SetFocus(window.Box(TextBox::txtServidor));
    services.SetText(TextBox::txtEdicao, shown.substr(0, 100));
    const std::vector<COLORREF> beginning = PixelsOf(box);
    services.SetText(TextBox::txtEdicao, shown);
    EXPECT_TRUE(PixelsOf(box) == beginning);
    EXPECT_EQ(BoxText(TextBox::txtEdicao), std::wstring(shown.begin(), shown.end()));
    // The common controls keep 1,023 characters of a tip (INFOTIPSIZE).
    const std::wstring tip = TooltipText(window.Handle(), box);
    EXPECT_EQ(tip, std::wstring(shown.begin(), shown.begin() + 1023));
    services.SetText(TextBox::txtEdicao, u"");
    EXPECT_EQ(TooltipText(window.Handle(), box), L"");
}

TEST_F(Win32Window, TheBusyPointerCoversEveryWindowOfTheProgramUntilRestored) {
    const HCURSOR hourglass = LoadCursorW(nullptr, IDC_WAIT);
    services.SetMousePointer(kestrel::MousePointer::Busy);
    EXPECT_EQ(PointerOver(window.Box(TextBox::txtVersao)), hourglass);
    EXPECT_EQ(PointerOver(window.Control("Command1")), hourglass);

    HCURSOR overTheBox = nullptr;
    LookInsideTheModal(
        window.Handle(), [&] { services.ShowMessage(u"Aguarde", kestrel::MessageIcon::None); },
        [&](HWND box) { overTheBox = PointerOver(GetDlgItem(box, IDOK)); });
    EXPECT_EQ(overTheBox, hourglass);

    services.SetMousePointer(kestrel::MousePointer::Default);
    EXPECT_EQ(PointerOver(window.Box(TextBox::txtVersao)), LoadCursorW(nullptr, IDC_IBEAM));
}

// A message box is owned by the window, under the program's title, with the icon asked for; one
// that a server made endless, a NUL in it, still fits the screen with its OK button, and is not cut
// at the NUL.
TEST_F(Win32Window, AnEndlessMessageFitsTheScreen) {
    std::u16string endless;
    for (int line = 0; line < 2000; ++line) {
        endless += u"Inst\u00E2ncia " + std::u16string(1, u'\0') +
                   std::u16string(line % 9 * 20, u'W') + u"\r\n";
    }
    RECT shownBox{};
    std::wstring shownText, shownTitle;
    bool shownIcon = false;
    LookInsideTheModal(
        window.Handle(), [&] { services.ShowMessage(endless, kestrel::MessageIcon::Information); },
        [&](HWND box) {
            GetWindowRect(box, &shownBox);
            shownText = MessageBoxText(box);
            shownTitle = ControlText(box);
            shownIcon = MessageBoxHasIcon(box);
        });
    EXPECT_EQ(shownTitle, L"Kestrel");
    EXPECT_TRUE(shownIcon);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window.Handle(), MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_LE(shownBox.bottom - shownBox.top, monitor.rcWork.bottom - monitor.rcWork.top);
    EXPECT_LE(shownBox.right - shownBox.left, monitor.rcWork.right - monitor.rcWork.left);
    EXPECT_TRUE(shownText.ends_with(L"\u2026")) << shownText.size();
}

// What a modal box or dialog does while the pass is pending: `during` opens it on this thread;
// another thread closes it with `close` once the pass has filled the boxes (or 30 s have gone).
class TimerDuringAModal : public Win32Window {
protected:
    void ConnectAndHoldAModal(const std::function<void()>& during, int close) {
        const Scenario scenario;
        const TdsTestServer server(scenario.Json());
        prompt.answers.push_back(DialogString(server, scenario.password));
        services.SetText(TextBox::txtLocalBD, u"");  // what an earlier pass wrote
        SendMessageW(window.Control("cmdNovaConexao"), BM_CLICK, 0, 0);
        ASSERT_EQ(BoxText(TextBox::txtServidor), L"SRVTESTE");
        ASSERT_EQ(BoxText(TextBox::txtLocalBD), L"");

        std::atomic<bool> passRanWhileOpen = false;
        std::thread closer([&] {
            const HWND modal = WaitForWindow([&] { return FindOwnedDialog(window.Handle()); }, 30s);
            const auto end = std::chrono::steady_clock::now() + 30s;
            while (ControlText(window.Box(TextBox::txtLocalBD)).empty() &&
                   std::chrono::steady_clock::now() < end) {
                std::this_thread::sleep_for(50ms);
            }
            passRanWhileOpen =
                IsWindow(modal) && !ControlText(window.Box(TextBox::txtLocalBD)).empty();
            Answer(modal, close);
        });
        during();
        closer.join();

        EXPECT_TRUE(passRanWhileOpen);
        EXPECT_EQ(server.count("LOGIN OK"), 1u);
    }
};

// Timer1 runs the pass while a message box or the dialog is open. "Copiar tudo" is in the system
// menu, greyed and copying nothing until a pass has filled the window; then the menu item, and
// Ctrl+Shift+C from a box, put the whole window there, lines ended CR LF.
TEST_F(TimerDuringAModal, Timer1ReachesThePassThatCopiarTudoThenCopies) {
    const HMENU menu = GetSystemMenu(window.Handle(), FALSE);
    const auto greyed = [&] {
        return (GetMenuState(menu, IDM_COPIAR_TUDO, MF_BYCOMMAND) & MF_GRAYED) != 0;
    };
    const auto pressFromTxtVersao = [&] {
        SetClipboardText(L"antes");
        SetFocus(window.Box(TextBox::txtVersao));
        PressKeys({VK_CONTROL, VK_SHIFT, 'C'});
        Pump([] { return ClipboardText() != L"antes"; }, 2s);
        return ClipboardText();
    };
    EXPECT_TRUE(greyed());
    EXPECT_EQ(pressFromTxtVersao(), L"antes");

    ConnectAndHoldAModal([&] { services.ShowMessage(u"Aguarde", kestrel::MessageIcon::None); },
                         IDOK);
    EXPECT_FALSE(greyed());
    const std::wstring whole = pressFromTxtVersao();
    EXPECT_TRUE(whole.starts_with(L"Servidor: SRVTESTE\r\nVersão do SQL Server: "));
    EXPECT_TRUE(whole.ends_with(L"\r\nLocal Banco: D:\\Dados\\São Paulo\\Quintara.mdf\r\n"));
    SetClipboardText(L"antes");
    SendMessageW(window.Handle(), WM_SYSCOMMAND, IDM_COPIAR_TUDO, 0);
    EXPECT_EQ(ClipboardText(), whole);

    Win32ConnectionPrompt dialog(window);
    ConnectAndHoldAModal([&] { EXPECT_EQ(dialog.PromptNew(), std::nullopt); }, IDCANCEL);
}

}  // namespace
