#include "app/win32/message_box.h"

#include "app/message_text.h"
#include "app/win32/wide_text.h"

void ShowMessageBox(HWND owner, std::u16string_view text, UINT icon) {
    MessageBoxW(owner, Wide(kestrel::MessageBoxText(text)).c_str(), L"Kestrel", MB_OK | icon);
}
