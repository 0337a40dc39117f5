#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// The tooltip of the value boxes: each shows its box's whole text, which the box may be too
// narrow for. An empty text shows no tip.
class BoxTooltips {
public:
    // Tips wrap at a width made for `dpi`, the window's.
    BoxTooltips(HWND window, UINT dpi);
    ~BoxTooltips();
    BoxTooltips(const BoxTooltips&) = delete;
    BoxTooltips& operator=(const BoxTooltips&) = delete;

    void Add(HWND box);
    void SetText(HWND box, const std::wstring& text);

private:
    TOOLINFOW Tool(HWND box, const std::wstring& text) const;

    HWND m_window;
    HWND m_tooltip;
};
