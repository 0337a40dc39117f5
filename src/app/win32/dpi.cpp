#include "app/win32/dpi.h"

#include <string>

namespace {

// A system DLL by its full path, never one that the program's folder or the current one holds;
// the DLLs it needs are looked for beside it first (LOAD_WITH_ALTERED_SEARCH_PATH, Windows XP).
HMODULE LoadSystemLibrary(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    return LoadLibraryExW((std::wstring(folder, length) + L"\\" + name).c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
}

template <typename Function>
void LookUp(Function*& function, HMODULE module, const char* name) {
    if (module != nullptr) {
        function =
            reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
}

}  // namespace

const DpiFunctions& DpiFunctions::OfThisSystem() {
    static const DpiFunctions functions = [] {
        DpiFunctions found;
        // user32 is loaded already: the program imports it.
        const HMODULE user32 = GetModuleHandleW(L"user32.dll");
        LookUp(found.getDpiForWindow, user32, "GetDpiForWindow");
        LookUp(found.adjustWindowRectExForDpi, user32, "AdjustWindowRectExForDpi");
        // Kept loaded for the program's life: the pointer is used until it ends.
        LookUp(found.getDpiForMonitor, LoadSystemLibrary(L"shcore.dll"), "GetDpiForMonitor");
        return found;
    }();
    return functions;
}

UINT WindowDpi(HWND window, const DpiFunctions& functions) {
    if (functions.getDpiForWindow != nullptr) {
        return functions.getDpiForWindow(window);
    }
    UINT x = 0;
    UINT y = 0;
    if (functions.getDpiForMonitor != nullptr &&
        SUCCEEDED(functions.getDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), 0,
                                             &x, &y))) {
        return x;
    }
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : USER_DEFAULT_SCREEN_DPI;
}

SIZE FrameSize(SIZE client, DWORD style, UINT dpi, const DpiFunctions& functions) {
    RECT frame{0, 0, client.cx, client.cy};
    if (functions.adjustWindowRectExForDpi != nullptr) {
        functions.adjustWindowRectExForDpi(&frame, style, FALSE, 0, dpi);
    } else {
        AdjustWindowRectEx(&frame, style, FALSE, 0);
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}
