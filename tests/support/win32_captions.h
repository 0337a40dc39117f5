#pragma once

// What a caption takes in a Win32 control, in the font GDI draws it in, and the room the control
// gives it: for the tests that every caption shows whole.
#include <windows.h>

#include <string>
#include <vector>

#include "support/win32_ui.h"

// The font GDI draws the caption of `control` in.
struct DrawnFont {
    std::wstring face;
    bool bitmap;
    int characterHeight;

    std::wstring Said() const {
        return face + (bitmap ? L" (bitmap), " : L" (vetorial), ") +
               std::to_wstring(characterHeight) + L" px";
    }
};

inline DrawnFont FontOf(HWND control) {
    const HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    return {face, !(metrics.tmPitchAndFamily & TMPF_VECTOR),
            int(metrics.tmHeight - metrics.tmInternalLeading)};
}

// The room a control's caption has, and what its caption takes, in its own font, on one line.
struct Room {
    SIZE caption;
    SIZE room;
};

inline Room RoomOf(HWND control) {
    RECT client;
    GetClientRect(control, &client);
    const std::wstring text = ControlText(control);
    const LONG_PTR style = GetWindowLongPtrW(control, GWL_STYLE);
    const HDC dc = GetDC(control);
    const HGDIOBJ previous =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT extent{0, 0, 0, 0};
    const bool staticText = ClassOf(control) == L"Static";
    DrawTextW(
        dc, text.c_str(), int(text.size()), &extent,
        DT_CALCRECT | DT_SINGLELINE | (staticText && (style & SS_NOPREFIX) ? DT_NOPREFIX : 0));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);

    SIZE room{client.right, client.bottom};
    if (!staticText) {
        const LONG_PTR kind = style & BS_TYPEMASK;
        if (kind == BS_GROUPBOX) {
            room.cx -= 2 * metrics.tmAveCharWidth;  // the frame's corners beside the caption
        } else if (kind == BS_AUTORADIOBUTTON || kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX ||
                   kind == BS_RADIOBUTTON) {
            room.cx -= GetSystemMetrics(SM_CXMENUCHECK) + metrics.tmAveCharWidth / 2;
        } else {
            room.cx -= 2 * GetSystemMetrics(SM_CXEDGE);  // a push button's edges
        }
    }
    return {{extent.right, extent.bottom}, room};
}

// The captions of the labels and buttons among `container`'s controls, and theirs, that the room
// their control gives them does not hold, each with the font it is drawn in.
inline std::vector<std::wstring> ClippedCaptions(HWND container) {
    std::vector<std::wstring> clipped;
    for (HWND control = GetWindow(container, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        const std::vector<std::wstring> inside = ClippedCaptions(control);
        clipped.insert(clipped.end(), inside.begin(), inside.end());
        const std::wstring cls = ClassOf(control);
        const std::wstring caption = ControlText(control);
        if ((cls != L"Static" && cls != L"Button") || caption.empty()) {
            continue;
        }
        const Room room = RoomOf(control);
        if (room.caption.cx > room.room.cx || room.caption.cy > room.room.cy) {
            clipped.push_back(caption + L" in " + FontOf(control).Said());
        }
    }
    return clipped;
}
