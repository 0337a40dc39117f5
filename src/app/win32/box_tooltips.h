#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

// The tooltip of the value boxes: each shows its box's whole text, which the box may be too
// narrow for. An empty text shows no tip.
class BoxTooltips {
public:
    explicit BoxTooltips(HWND window);
    ~BoxTooltips();
    BoxTooltips(const BoxTooltips&) = delete;
    BoxTooltips& operator=(const BoxTooltips&) = delete;

    void Add(HWND box);
    void SetText(HWND box, const std::wstring& text);
    // A long value's tip wraps at about 80 characters of the window's font at `dpi`, rather than
    // running off the screen.
    void WrapAt(UINT dpi);

private:
    TOOLINFOW Tool(HWND box, const std::wstring& text) const;

    HWND m_window;
    HWND m_tooltip;
};
