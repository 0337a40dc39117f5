#include "app/win32/caption_fit.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

namespace {

SIZE CaptionExtent(HWND control) {
    std::wstring caption(std::size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    caption.resize(std::size_t(GetWindowTextW(control, caption.data(), int(caption.size()))));
    const HDC dc = GetDC(control);
    const HGDIOBJ previous = SelectObject(dc, GetWindowFont(control));
    RECT extent{};
    DrawTextW(dc, caption.c_str(), int(caption.size()), &extent,
              DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {extent.right - extent.left, extent.bottom - extent.top};
}

}  // namespace

RECT FitCaption(HWND control, RECT place, bool rightAligned, RECT room) {
    const SIZE extent = CaptionExtent(control);
    if (extent.cx > place.right - place.left) {
        if (rightAligned) {
            place.left = std::max(room.left, place.right - extent.cx);
            place.right = std::min(room.right, place.left + extent.cx);
        } else {
            place.right = std::min(room.right, place.left + extent.cx);
            place.left = std::max(room.left, place.right - extent.cx);
        }
    }
    place.bottom = std::max(place.bottom, place.top + extent.cy);
    return place;
}
