#pragma once

#include <windows.h>

#include "app/frm_principal_layout.h"

// The layout is in twips, 1/1440 inch: at a window's dpi they make MulDiv(twips, dpi, 1440)
// pixels (15 twips a pixel at 96 dpi).
inline int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, int(dpi), 1440);
}

inline RECT PixelRect(const kestrel::TwipsRect& twips, UINT dpi) {
    const int left = TwipsToPixels(twips.left, dpi);
    const int top = TwipsToPixels(twips.top, dpi);
    return {left, top, left + TwipsToPixels(twips.width, dpi),
            top + TwipsToPixels(twips.height, dpi)};
}

// The dpi calls newer than Windows 7, which kestrel.exe must not import: Windows would refuse to
// start it. Each is looked up once at run time and is null where the system lacks it.
struct DpiFunctions {
    // user32, Windows 10 version 1607.
    UINT(WINAPI* getDpiForWindow)(HWND window) = nullptr;
    BOOL(WINAPI* adjustWindowRectExForDpi)
    (RECT* rect, DWORD style, BOOL menu, DWORD exStyle, UINT dpi) = nullptr;
    // shcore, Windows 8.1; shcore.dll itself is not on Windows 7. `type` 0 is the effective dpi.
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR monitor, int type, UINT* x, UINT* y) = nullptr;

    static const DpiFunctions& OfThisSystem();
};

// The dpi the window is shown at: its own (1607), else its monitor's (8.1, a per-monitor aware
// program), else the system's, which is every monitor's on Windows 7.
UINT WindowDpi(HWND window, const DpiFunctions& functions);

// The frame around a client area of `client` pixels at `dpi`. Without the dpi-aware call the
// frame's metrics are the system dpi's, which is what Windows 8.1 draws a per-monitor program's
// frame at.
SIZE FrameSize(SIZE client, DWORD style, UINT dpi, const DpiFunctions& functions);
