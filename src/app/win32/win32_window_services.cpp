#include "app/win32/win32_window_services.h"

#include "app/win32/busy_pointer.h"
#include "app/win32/message_box.h"
#include "app/win32/wide_text.h"

using kestrel::MessageIcon;
using kestrel::MousePointer;
using kestrel::TextBox;

// Owned by the main window, so that it stays above it and the window takes no clicks meanwhile;
// Timer1 still fires through the box's own message loop.
void Win32WindowServices::ShowMessage(const std::u16string& text, MessageIcon icon) {
    ShowMessageBox(m_window.Handle(), text,
                   icon == MessageIcon::Information ? MB_ICONINFORMATION : 0);
}

void Win32WindowServices::SetMousePointer(MousePointer pointer) {
    SetProgramBusy(pointer == MousePointer::Busy);
}

void Win32WindowServices::EndProgram() {
    m_window.EndProgram();
}

void Win32WindowServices::SetTimerEnabled(bool enabled) {
    m_window.SetTimer1Enabled(enabled);
}

void Win32WindowServices::SetText(TextBox box, const std::u16string& text) {
    m_window.SetBoxText(box, text);
}

std::u16string Win32WindowServices::Text(TextBox box) const {
    return FromWide(WindowText(m_window.Box(box)));
}
