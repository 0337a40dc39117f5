// The floor on Windows: the least a program on the Windows API does to show a window, built as
// kestrel.exe is (MinGW-w64, static, the same manifest). With --text it also shows one line of
// text, which makes the system load its fonts before the window appears.
#include <windows.h>

#include <string_view>

namespace {

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = L"MinimalWindow";
    RegisterClassExW(&windowClass);
    const HWND window =
        CreateWindowExW(0, L"MinimalWindow", L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                        474, 337, nullptr, nullptr, instance, nullptr);
    if (std::wstring_view(commandLine) == L"--text") {
        CreateWindowExW(0, L"STATIC", L"Servidor:", WS_CHILD | WS_VISIBLE, 10, 10, 100, 13, window,
                        nullptr, instance, nullptr);
    }
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
