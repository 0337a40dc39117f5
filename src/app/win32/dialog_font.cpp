#include "app/win32/dialog_font.h"

#include "app/frm_principal_layout.h"

namespace {

LOGFONTW DialogFont(std::u16string_view face, bool bold, UINT dpi) {
    LOGFONTW font{};
    // A negative height asks for the character height: points at `dpi`, without the leading.
    font.lfHeight = -MulDiv(kestrel::kDialogFontHundredthsOfPoint, int(dpi), 72 * 100);
    font.lfWeight = bold ? kestrel::kBoldWeight : FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    face.copy(reinterpret_cast<char16_t*>(font.lfFaceName), LF_FACESIZE - 1);
    return font;
}

// Whether GDI draws `font` in the face it names at the character height it asks for. A bitmap face
// has a few sizes made for one dpi; at any other size GDI draws another face or size instead.
bool DrawnAsAsked(const LOGFONTW& font) {
    const HDC dc = CreateCompatibleDC(nullptr);
    const HFONT made = CreateFontIndirectW(&font);
    const HGDIOBJ previous = SelectObject(dc, made);
    wchar_t face[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, previous);
    DeleteObject(made);
    DeleteDC(dc);
    return lstrcmpiW(face, font.lfFaceName) == 0 &&
           metrics.tmHeight - metrics.tmInternalLeading == -font.lfHeight;
}

}  // namespace

std::u16string_view DialogFontFace(UINT dpi) {
    return DrawnAsAsked(DialogFont(kestrel::kDialogFontFamily, false, dpi))
               ? kestrel::kDialogFontFamily
               : kestrel::kDialogFontTrueTypeFamily;
}

Font CreateDialogFont(std::u16string_view face, bool bold, UINT dpi) {
    const LOGFONTW font = DialogFont(face, bold, dpi);
    return Font(CreateFontIndirectW(&font));
}
