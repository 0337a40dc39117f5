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
