#pragma once

#include <windows.h>

#include <memory>
#include <type_traits>

struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using Font = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

// "MS Sans Serif" 8.25 pt at `dpi`, character set 0, bold at weight 700.
Font CreateDialogFont(bool bold, UINT dpi);
