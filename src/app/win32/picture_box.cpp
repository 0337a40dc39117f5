#include "app/win32/picture_box.h"

namespace {

constexpr wchar_t kClassName[] = L"KestrelPictureBox";

LRESULT CALLBACK PictureBoxProcedure(HWND band, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        const HDC dc = BeginPaint(band, &paint);
        RECT edge;
        GetClientRect(band, &edge);
        DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        EndPaint(band, &paint);
        return 0;
    }
    return DefWindowProcW(band, message, wParam, lParam);
}

void RegisterPictureBoxClass() {
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PictureBoxProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        windowClass.lpszClassName = kClassName;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

HWND CreatePictureBox(HWND parent, int id) {
    RegisterPictureBoxClass();
    return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0, 0,
                           parent, reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr),
                           nullptr);
}
