#pragma once

#include <windows.h>

#include <string_view>

// A modal box under the program's title with an OK button only, owned by `owner`; `icon` is 0 or
// one of the MB_ICON... styles. Returns once the user has closed it.
void ShowMessageBox(HWND owner, std::u16string_view text, UINT icon);
