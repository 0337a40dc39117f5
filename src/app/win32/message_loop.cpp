#include "app/win32/message_loop.h"

void DeliverMessage(HWND window, MSG& message) {
    if (!IsDialogMessageW(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int RunMessageLoop(HWND window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DeliverMessage(window, message);
    }
    return int(message.wParam);
}
