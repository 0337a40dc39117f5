#include "app/win32/busy_pointer.h"

#include <windows.h>

namespace {

bool programBusy = false;
int waits = 0;
HHOOK hook = nullptr;

HCURSOR Hourglass() {
    return LoadCursorW(nullptr, IDC_WAIT);
}

// Every window sets its own pointer on WM_SETCURSOR, message boxes included; this hook of the
// thread comes after each and puts the hourglass back.
LRESULT CALLBACK AfterWindowProcedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION &&
        reinterpret_cast<const CWPRETSTRUCT*>(lParam)->message == WM_SETCURSOR) {
        SetCursor(Hourglass());
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

// Lets the window under the pointer choose its pointer again, as a mouse move would.
void RefreshPointer() {
    POINT at;
    if (!GetCursorPos(&at)) {
        return;
    }
    const HWND under = WindowFromPoint(at);
    if (under == nullptr || GetWindowThreadProcessId(under, nullptr) != GetCurrentThreadId()) {
        return;
    }
    const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
    SendMessageW(under, WM_SETCURSOR, WPARAM(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

void Update() {
    const bool busy = programBusy || waits > 0;
    if (busy && hook == nullptr) {
        hook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterWindowProcedure, nullptr,
                                 GetCurrentThreadId());
        SetCursor(Hourglass());
    } else if (!busy && hook != nullptr) {
        UnhookWindowsHookEx(hook);
        hook = nullptr;
        RefreshPointer();
    }
}

}  // namespace

void SetProgramBusy(bool busy) {
    programBusy = busy;
    Update();
}

BusyWhileWaiting::BusyWhileWaiting() {
    ++waits;
    Update();
}

BusyWhileWaiting::~BusyWhileWaiting() {
    --waits;
    Update();
}
