#pragma once

#include <string>

#include "base/window_services.h"

// The program's one window as a view builds it (app/qt or app/win32); each program has one view.
class FrmPrincipal;

// The window services over the view's real window, declared once for both views: each view
// defines them over its own window, in its window_services.cpp.
class ViewWindowServices final : public kestrel::WindowServices {
public:
    explicit ViewWindowServices(FrmPrincipal& window) : m_window(window) {}

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
