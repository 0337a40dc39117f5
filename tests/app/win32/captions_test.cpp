// Every caption of the window and of the connection dialog whole at the display's dpi, whatever
// font GDI draws for "MS Sans Serif". scripts/test-windows.sh runs these tests once for each
// display scale, with and without the bitmap font, and tells them what it set up
// (KESTREL_EXPECT_DPI, KESTREL_EXPECT_BITMAP_FONT) so that a setting that did not take is seen.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/frm_principal_layout.h"
#include "app/win32/dpi.h"
#include "app/win32/frm_principal.h"
#include "app/win32/resource.h"
#include "app/win32/win32_connection_prompt.h"
#include "support/win32_captions.h"
#include "support/win32_ui.h"

using namespace std::chrono_literals;

namespace {

class CaptionsWhole : public ::testing::Test {
protected:
    void SetUp() override {
        const char* dpi = std::getenv("KESTREL_EXPECT_DPI");
        if (dpi == nullptr) {
            GTEST_SKIP() << "run by scripts/test-windows.sh at each display scale";
        }
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        m_window = std::make_unique<FrmPrincipal>();
        m_window->Show(SW_SHOWNORMAL);
        ASSERT_EQ(WindowDpi(m_window->Handle(), DpiFunctions::OfThisSystem()),
                  UINT(std::atoi(dpi)));
        const DrawnFont font = FontOf(m_window->Control("Label1"));
        std::wcout << L"[ GDI      ] " << font.Said() << std::endl;
        // The bitmap face is drawn at 96 dpi only: it has no 8.25 pt size for any other.
        EXPECT_EQ(font.face == L"MS Sans Serif" && font.bitmap,
                  std::getenv("KESTREL_EXPECT_BITMAP_FONT") == std::string("1") &&
                      std::string(dpi) == "96")
            << testing::PrintToString(font.Said());
    }

    std::unique_ptr<FrmPrincipal> m_window;
};

TEST_F(CaptionsWhole, InTheWindow) {
    EXPECT_EQ(ClippedCaptions(m_window->Handle()), std::vector<std::wstring>{}) << "frmPrincipal";
}

TEST_F(CaptionsWhole, InTheConnectionDialog) {
    Win32ConnectionPrompt prompt(*m_window);
    std::thread user([&] {
        const HWND dialog = WaitForWindow([&] { return FindOwnedDialog(m_window->Handle()); }, 30s);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(ClippedCaptions(dialog), std::vector<std::wstring>{}) << "diálogo de conexão";
        const DrawnFont font = FontOf(GetDlgItem(dialog, IDC_INTRO));
        std::wcout << L"[ GDI      ] dialog: " << font.Said() << std::endl;
        EXPECT_EQ(font.face, FontOf(m_window->Control("Label1")).face);
        Answer(dialog, IDCANCEL);
    });
    EXPECT_EQ(prompt.PromptNew(), std::nullopt);
    user.join();
}

// Moved to a monitor of another dpi, the window lays itself out there, every control where the form
// puts it, its captions whole in the font of that dpi and its tips as wide; moved back, it is as it
// was.
TEST(Win32WindowDpi, LaysItselfOutAgainOnAMonitorOfAnotherDpi) {
    FrmPrincipal window;
    window.Show(SW_SHOWNORMAL);
    const auto moveTo = [&](UINT dpi) {
        RECT suggested;
        GetWindowRect(window.Handle(), &suggested);
        SendMessageW(window.Handle(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), LPARAM(&suggested));
    };
    const UINT dpi = WindowDpi(window.Handle(), DpiFunctions::OfThisSystem());
    for (const UINT to : {144u, 192u, dpi}) {
        SCOPED_TRACE(to);
        moveTo(to);
        for (const kestrel::ControlDescription& row : kestrel::FrmPrincipalControls()) {
            SCOPED_TRACE(std::string(row.name));
            RECT place;
            GetWindowRect(window.Control(row.name), &place);
            MapWindowPoints(nullptr, GetParent(window.Control(row.name)),
                            reinterpret_cast<POINT*>(&place), 2);
            const RECT twips = PixelRect(row.twips, to);
            if (row.kind != kestrel::ControlKind::Label) {
                EXPECT_TRUE(EqualRect(&place, &twips));
            } else if (row.box) {
                EXPECT_EQ(std::pair(place.right, place.top), std::pair(twips.right, twips.top));
            } else {
                EXPECT_EQ(std::pair(place.left, place.top), std::pair(twips.left, twips.top));
            }
            if (row.kind != kestrel::ControlKind::PictureBox) {
                EXPECT_EQ(FontOf(window.Control(row.name)).characterHeight,
                          MulDiv(kestrel::kDialogFontHundredthsOfPoint, int(to), 7200));
            }
        }
        EXPECT_EQ(ClippedCaptions(window.Handle()), std::vector<std::wstring>{}) << "frmPrincipal";
        // The boxes' tips wrap at the same 80 characters or so.
        EXPECT_EQ(SendMessageW(TooltipOf(window.Handle()), TTM_GETMAXTIPWIDTH, 0, 0),
                  MulDiv(480, int(to), 96));
    }
}

}  // namespace
