#include "app/win32/box_tooltips.h"

namespace {

// Pixels at 96 dpi.
constexpr int kTipWidth = 480;

}  // namespace

BoxTooltips::BoxTooltips(HWND window)
    : m_window(window),
      m_tooltip(CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr,
                                WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window, nullptr,
                                GetModuleHandleW(nullptr), nullptr)) {}

BoxTooltips::~BoxTooltips() {
    DestroyWindow(m_tooltip);
}

TOOLINFOW BoxTooltips::Tool(HWND box, const std::wstring& text) const {
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = m_window;
    tool.uId = reinterpret_cast<UINT_PTR>(box);
    tool.lpszText = const_cast<wchar_t*>(text.c_str());
    return tool;
}

void BoxTooltips::Add(HWND box) {
    TOOLINFOW tool = Tool(box, L"");
    SendMessageW(m_tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void BoxTooltips::SetText(HWND box, const std::wstring& text) {
    TOOLINFOW tool = Tool(box, text);
    SendMessageW(m_tooltip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void BoxTooltips::WrapAt(UINT dpi) {
    SendMessageW(m_tooltip, TTM_SETMAXTIPWIDTH, 0,
                 MulDiv(kTipWidth, int(dpi), USER_DEFAULT_SCREEN_DPI));
}
