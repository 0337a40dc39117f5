#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <vector>

#include "app/frm_principal_layout.h"
#include "app/main_window_handlers.h"
#include "app/win32/box_tooltips.h"
#include "app/win32/dialog_font.h"
#include "app/win32/dpi.h"

// The program's one window on the Windows API, built from its description
// (app/frm_principal_layout.h) at the window's dpi. It holds the controls and nothing else: the
// clicks and Timer1 go to the handlers.
class FrmPrincipal {
public:
    // Creates the window, hidden, with its controls; the dpi calls are the system's own but for a
    // test of the older systems' ways.
    explicit FrmPrincipal(const DpiFunctions& dpiFunctions = DpiFunctions::OfThisSystem());
    ~FrmPrincipal();
    FrmPrincipal(const FrmPrincipal&) = delete;
    FrmPrincipal& operator=(const FrmPrincipal&) = delete;

    HWND Handle() const { return m_window; }
    HWND Control(std::string_view name) const;
    HWND Box(kestrel::TextBox box) const;

    void ForwardEventsTo(kestrel::MainWindowHandlers& handlers) { m_handlers = &handlers; }
    // Shows the window centred on its monitor's work area, the focus in the first box.
    void Show(int showCommand);

    void SetTimer1Enabled(bool enabled);
    void SetBoxText(kestrel::TextBox box, std::u16string_view text);
    // The process ends here and now: no later step and no other handler runs.
    [[noreturn]] void EndProgram();

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam);
    BOOL OnCreate(HWND window, LPCREATESTRUCTW create);
    void OnCommand(HWND window, int id, HWND control, UINT code);
    void OnSysCommand(HWND window, UINT command, int x, int y);
    void OnTimer(HWND window, UINT id);
    void OnActivate(HWND window, UINT state, HWND other, BOOL minimized);
    void OnClose(HWND window);
    HBRUSH OnCtlColorStatic(HWND window, HDC dc, HWND control, int type);
    void OnDpiChanged(UINT dpi, const RECT& suggested);

    void CreateControls();
    // "Copiar tudo" is greyed until a pass has filled the window.
    void UpdateSystemMenu();
    // Places every control and sets the fonts at `dpi`; the client area follows.
    void LayOut(UINT dpi);
    SIZE FrameSize(UINT dpi) const;
    // Runs a command's handler. Nothing leaves a handler: each says what went wrong in a message
    // box and the program goes on.
    void Run(kestrel::WindowCommand command);

    const DpiFunctions m_dpiFunctions;
    HWND m_window = nullptr;
    UINT m_dpi = USER_DEFAULT_SCREEN_DPI;
    std::vector<HWND> m_controls;  // by the row of the description
    HWND m_focus = nullptr;        // where the focus goes back to when the window is activated
    Font m_regular;
    Font m_bold;
    std::unique_ptr<BoxTooltips> m_tooltips;
    kestrel::MainWindowHandlers* m_handlers = nullptr;
    bool m_timer1Enabled = false;
};
