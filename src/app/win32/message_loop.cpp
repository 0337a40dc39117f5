#include "app/win32/message_loop.h"

#include "app/win32/resource.h"

void DeliverMessage(HWND window, MSG& message) {
    static const HACCEL accelerators =
        LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDA_KESTREL));
    if (TranslateAcceleratorW(window, accelerators, &message)) {
        return;
    }
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
