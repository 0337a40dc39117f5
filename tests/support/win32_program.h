#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/frm_principal_layout.h"
#include "app/main_window_handlers.h"
#include "app/view_window_services.h"
#include "app/win32/frm_principal.h"
#include "app/win32/message_loop.h"
#include "app/win32/win32_wait_pump.h"
#include "support/fake_registry.h"
#include "support/scripted_prompt.h"
#include "support/win32_ui.h"

// The program's Win32 window in this process, its events going to the handlers at the program's
// own time bounds, over a registry and a dialog of the test's own, kept alive while it waits;
// shown in the foreground.
struct Win32Program {
    Win32Program() {
        const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&classes);
        window.ForwardEventsTo(handlers);
        kestrel::InstallWaitPump(&pump);
        window.Show(SW_SHOWNORMAL);
        SetForegroundWindow(window.Handle());
        Pump([] { return false; }, std::chrono::milliseconds(200));
    }
    ~Win32Program() {
        kestrel::InstallWaitPump(nullptr);
        services.SetMousePointer(kestrel::MousePointer::Default);
    }

    // Handles this thread's messages as the program's loop does until `done`, at most `limit`.
    bool Pump(const std::function<bool()>& done, std::chrono::milliseconds limit) {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                DeliverMessage(window.Handle(), message);
            }
        }
        return true;
    }

    // The name of the control that has the focus, after `keys`.
    std::string FocusAfter(std::initializer_list<WORD> keys) {
        const HWND before = GetFocus();
        PressKeys(keys);
        Pump([&] { return GetFocus() != before; }, std::chrono::seconds(10));
        Pump([] { return false; }, std::chrono::milliseconds(50));
        for (const kestrel::ControlDescription& control : kestrel::FrmPrincipalControls()) {
            if (window.Control(control.name) == GetFocus()) {
                return std::string(control.name);
            }
        }
        return "(none)";
    }

    std::wstring BoxText(kestrel::TextBox box) const { return ControlText(window.Box(box)); }

    FrmPrincipal window;
    ViewWindowServices services{window};
    FakeRegistry registry;
    ScriptedPrompt prompt;
    kestrel::MainWindowHandlers handlers{services, registry, prompt};
    Win32WaitPump pump{window};
};
