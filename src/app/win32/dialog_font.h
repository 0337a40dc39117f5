#pragma once

#include <windows.h>

#include <memory>
#include <string_view>
#include <type_traits>

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// "MS Sans Serif" where GDI draws that face at 8.25 pt at `dpi` (its bitmap font is made for
// 96 dpi), else its TrueType twin of the same metrics.
std::u16string_view DialogFontFace(UINT dpi);

// The window's font: 8.25 pt at `dpi` in `face` (DialogFontFace's), character set 0, bold at
// weight 700.
Font CreateDialogFont(std::u16string_view face, bool bold, UINT dpi);
