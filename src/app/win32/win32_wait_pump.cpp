#include "app/win32/win32_wait_pump.h"

namespace {

bool IsClickOrKey(UINT message) {
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST);
}

}  // namespace

void Win32WaitPump::Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // For the loop that runs once the wait is over.
            PostQuitMessage(int(message.wParam));
            return;
        }
        if (EndsTheProgram(message)) {
            m_window.EndProgram();
        }
        // Alt+F4 goes on to the window, whose close ends the program.
        const bool altF4 = message.message == WM_SYSKEYDOWN && message.wParam == VK_F4;
        if (IsClickOrKey(message.message) && !altF4) {
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool Win32WaitPump::EndsTheProgram(const MSG& message) const {
    const bool fechar =
        message.message == WM_LBUTTONUP && message.hwnd == m_window.Control("Command1");
    const bool altF = message.message == WM_SYSKEYDOWN && message.wParam == 'F' &&
                      GetAncestor(message.hwnd, GA_ROOT) == m_window.Handle();
    return fechar || altF;
}
