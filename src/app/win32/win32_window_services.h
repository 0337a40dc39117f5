#pragma once

#include "app/win32/frm_principal.h"
#include "base/window_services.h"

// The window services over the real window.
class Win32WindowServices final : public kestrel::WindowServices {
public:
    explicit Win32WindowServices(FrmPrincipal& window) : m_window(window) {}

    void ShowMessage(const std::u16string& text, kestrel::MessageIcon icon) override;
    void SetMousePointer(kestrel::MousePointer pointer) override;
    void EndProgram() override;
    void SetTimerEnabled(bool enabled) override;
    void SetText(kestrel::TextBox box, const std::u16string& text) override;
    std::u16string Text(kestrel::TextBox box) const override;
    void CopyToClipboard(const std::u16string& text) override;

private:
    FrmPrincipal& m_window;
};
