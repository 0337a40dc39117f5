#pragma once

#include "app/qt/frm_principal.h"
#include "base/window_services.h"

// The window services over the real Qt window.
class QtWindowServices final : public kestrel::WindowServices {
public:
    explicit QtWindowServices(FrmPrincipal& window) : m_window(window) {}

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
