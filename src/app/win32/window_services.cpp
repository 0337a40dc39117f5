#include "app/view_window_services.h"

#include <cstring>

#include "app/win32/busy_pointer.h"
#include "app/win32/frm_principal.h"
#include "app/win32/message_box.h"
#include "app/win32/wide_text.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

// Owned by the main window, so that it stays above it and the window takes no clicks meanwhile;
// Timer1 still fires through the box's own message loop.
void ViewWindowServices::ShowMessage(const std::u16string& text, MessageIcon icon) {
    ShowMessageBox(m_window.Handle(), text,
                   icon == MessageIcon::Information ? MB_ICONINFORMATION : 0);
}

void ViewWindowServices::SetMousePointer(MousePointer pointer) {
    SetProgramBusy(pointer == MousePointer::Busy);
}

void ViewWindowServices::EndProgram() {
    m_window.EndProgram();
}

void ViewWindowServices::SetTimerEnabled(bool enabled) {
    m_window.SetTimer1Enabled(enabled);
}

void ViewWindowServices::SetText(TextBox box, const std::u16string& text) {
    m_window.SetBoxText(box, text);
}

std::u16string ViewWindowServices::Text(TextBox box) const {
    return FromWide(WindowText(m_window.Box(box)));
}

namespace {

// Puts `text` in place of what the clipboard held; false when it could not. Another program may
// hold the clipboard for a moment: it is asked a few times, not waited for.
bool PutOnClipboard(HWND owner, const std::u16string& text) {
    bool open = false;
    for (int attempt = 0; attempt < 10 && !(open = OpenClipboard(owner)); ++attempt) {
        Sleep(50);
    }
    if (!open) {
        return false;
    }
    EmptyClipboard();
    const std::size_t bytes = (text.size() + 1) * sizeof(char16_t);
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    void* target = memory != nullptr ? GlobalLock(memory) : nullptr;
    bool copied = false;
    if (target != nullptr) {
        std::memcpy(target, text.c_str(), bytes);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it has taken it.
        copied = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    if (!copied && memory != nullptr) {
        GlobalFree(memory);
    }
    CloseClipboard();
    return copied;
}

}  // namespace

void ViewWindowServices::CopyToClipboard(const std::u16string& text) {
    if (!PutOnClipboard(m_window.Handle(), text)) {
        ShowMessage(
            u"Não foi possível copiar: a área de transferência está em uso por outro "
            u"programa. Tente de novo.",
            MessageIcon::None);
    }
}
