#pragma once

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

// Looking at windows from the outside, as a user's tools do: from another thread or process.

// The text of a window or control, of this process or another: WM_GETTEXT, which GetWindowText
// does not send to a control of another process.
inline std::wstring ControlText(HWND control) {
    DWORD_PTR length = 0;
    SendMessageTimeoutW(control, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 30000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                        SMTO_ABORTIFHUNG, 30000, &copied);
    text.resize(copied);
    return text;
}

struct OwnedDialogSearch {
    HWND owner;
    HWND found;
};

// A named function, not a lambda: 32-bit callbacks are stdcall, which GCC's lambdas do not convert
// to.
inline BOOL CALLBACK TakeOwnedDialog(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<OwnedDialogSearch*>(parameter);
    wchar_t className[16] = {};
    GetClassNameW(window, className, 16);
    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == search->owner &&
        std::wstring_view(className) == L"#32770") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// A visible dialog window (a message box, the connection dialog) owned by `owner`, or null.
inline HWND FindOwnedDialog(HWND owner) {
    OwnedDialogSearch search{owner, nullptr};
    EnumWindows(TakeOwnedDialog, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Asks `find` every 50 ms until it gives a window, at most `limit`.
inline HWND WaitForWindow(const std::function<HWND()>& find, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (const HWND found = find()) {
            return found;
        }
        if (std::chrono::steady_clock::now() > end) {
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// What a control shows now: its client area's pixels, drawn afresh, row by row. A control of
// another process is read off the screen: its own DC shows nothing of it under Wine.
inline std::vector<COLORREF> PixelsOf(HWND control) {
    RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    DWORD process = 0;
    GetWindowThreadProcessId(control, &process);
    const bool ours = process == GetCurrentProcessId();
    if (!ours) {
        // It paints on its own thread: once that has handled a message sent after the redraw,
        // and the X server has the pixels.
        DWORD_PTR done = 0;
        SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &done);
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    RECT area;
    GetClientRect(control, &area);
    POINT from{0, 0};
    if (!ours) {
        ClientToScreen(control, &from);
    }
    const HDC source = GetDC(ours ? control : nullptr);
    const HDC memory = CreateCompatibleDC(source);
    const HBITMAP bitmap = CreateCompatibleBitmap(source, area.right, area.bottom);
    const HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, area.right, area.bottom, source, from.x, from.y, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < area.bottom; ++y) {
        for (int x = 0; x < area.right; ++x) {
            pixels.push_back(GetPixel(memory, x, y));
        }
    }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(ours ? control : nullptr, source);
    return pixels;
}

// A message box's text sits in its static 0xFFFF, on Windows and under Wine alike.
inline std::wstring MessageBoxText(HWND box) {
    return ControlText(GetDlgItem(box, 0xFFFF));
}

inline bool MessageBoxHasIcon(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) &&
            (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageW(child, STM_GETICON, 0, 0) != 0) {
            return true;
        }
    }
    return false;
}

// Closes a message box or dialog as its OK (or Cancel) button would.
inline void Answer(HWND dialog, int button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

namespace modal_look {
inline HWND owner;
inline std::function<void(HWND)> look;

// A named function, not a lambda: a 32-bit timer procedure is stdcall.
inline void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (const HWND box = FindOwnedDialog(owner); box != nullptr && look) {
        std::exchange(look, nullptr)(box);
        Answer(box, IDOK);
    }
}
}  // namespace modal_look

// Opens a modal box of `owner` with `open`, hands it to `look` from inside the box's own loop on
// this thread (where a thread timer runs), and answers it OK.
inline void LookInsideTheModal(HWND owner, const std::function<void()>& open,
                               std::function<void(HWND)> look) {
    modal_look::owner = owner;
    modal_look::look = std::move(look);
    const UINT_PTR timer = SetTimer(nullptr, 0, 100, modal_look::Tick);
    open();
    KillTimer(nullptr, timer);
}

inline std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

// Types `text` into a dialog's field, as a paste would.
inline void Type(HWND dialog, int field, const std::wstring& text) {
    SendMessageW(GetDlgItem(dialog, field), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

// Clicks `button` of `dialog` and gives the text of the message box that it opens, closed.
inline std::wstring ClickAndReadTheMessage(HWND dialog, int button) {
    Answer(dialog, button);
    const HWND box =
        WaitForWindow([&] { return FindOwnedDialog(dialog); }, std::chrono::seconds(30));
    if (box == nullptr) {
        return L"(no message box)";
    }
    const std::wstring text = MessageBoxText(box) + (MessageBoxHasIcon(box) ? L" [icon]" : L"");
    Answer(box, IDOK);
    WaitForWindow([&] { return IsWindow(box) ? nullptr : dialog; }, std::chrono::seconds(10));
    return text;
}

// Presses `keys` together, as the keyboard does, and lets them go in reverse order.
inline void PressKeys(std::initializer_list<WORD> keys) {
    std::vector<INPUT> inputs;
    for (WORD key : keys) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = key;
        inputs.push_back(input);
    }
    for (auto key = keys.end(); key != keys.begin();) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = *--key;
        input.ki.dwFlags = KEYEVENTF_KEYUP;
        inputs.push_back(input);
    }
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
}

// A click at the centre of `control`, through the system's input queue as the mouse's own.
inline void ClickWithTheMouse(HWND control) {
    RECT place;
    GetWindowRect(control, &place);
    const auto scaled = [](LONG value, int metric) {
        return LONG(value * 65535 / (GetSystemMetrics(metric) - 1));
    };
    INPUT inputs[3] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = scaled((place.left + place.right) / 2, SM_CXSCREEN);
        input.mi.dy = scaled((place.top + place.bottom) / 2, SM_CYSCREEN);
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
}

// The clipboard's text; empty when it holds none.
inline std::wstring ClipboardText() {
    std::wstring text;
    if (OpenClipboard(nullptr)) {
        if (const HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
    }
    return text;
}

inline void SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) {
        return;
    }
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    std::memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
    CloseClipboard();
}

// The pointer a window sets for itself.
inline HCURSOR PointerOver(HWND window) {
    SendMessageW(window, WM_SETCURSOR, WPARAM(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

// The tooltip window of `owner`.
inline HWND TooltipOf(HWND owner) {
    HWND tooltip = nullptr;
    for (HWND w = GetWindow(GetDesktopWindow(), GW_CHILD); w != nullptr;
         w = GetWindow(w, GW_HWNDNEXT)) {
        if (GetWindow(w, GW_OWNER) == owner && ClassOf(w) == TOOLTIPS_CLASSW) {
            tooltip = w;
        }
    }
    return tooltip;
}

// The tooltip text that `owner`'s tooltip window holds for `control`.
inline std::wstring TooltipText(HWND owner, HWND control) {
    const HWND tooltip = TooltipOf(owner);
    std::wstring text(8192, L'\0');
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = text.data();
    SendMessageW(tooltip, TTM_GETTEXTW, text.size(), reinterpret_cast<LPARAM>(&tool));
    return tooltip != nullptr ? std::wstring(text.c_str()) : L"(no tooltip window)";
}
