#include "app/win32/dialog_font.h"

#include "app/frm_principal_layout.h"

Font CreateDialogFont(bool bold, UINT dpi) {
    LOGFONTW font{};
    // A negative height asks for the character height: points at `dpi`, without the leading.
    font.lfHeight = -MulDiv(kestrel::kDialogFontHundredthsOfPoint, int(dpi), 72 * 100);
    font.lfWeight = bold ? kestrel::kBoldWeight : FW_NORMAL;
    font.lfCharSet = ANSI_CHARSET;
    kestrel::kDialogFontFamily.copy(reinterpret_cast<char16_t*>(font.lfFaceName), LF_FACESIZE - 1);
    return Font(CreateFontIndirectW(&font));
}
