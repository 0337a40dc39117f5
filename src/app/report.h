#pragma once

#include <array>
#include <optional>
#include <string>

#include "app/report_status.h"
#include "base/window_services.h"
#include "connection/database_access.h"
#include "settings/registry_api.h"

namespace kestrel {

// The window's services for a report: the boxes are kept, a message is kept instead of shown, and
// nothing else reaches the screen, the pointer or the clipboard.
class ReportWindow : public WindowServices {
public:
    void ShowMessage(const std::u16string& text, MessageIcon icon) override;
    void SetMousePointer(MousePointer) override {}
    void EndProgram() override { m_ended = true; }
    void SetTimerEnabled(bool enabled) override { m_timerEnabled = enabled; }
    void SetText(TextBox box, const std::u16string& text) override;
    std::u16string Text(TextBox box) const override;
    void CopyToClipboard(const std::u16string&) override {}

    // The last message the window would have shown.
    const std::u16string& LastMessage() const { return m_message; }
    bool Ended() const { return m_ended; }
    bool TimerEnabled() const { return m_timerEnabled; }

private:
    std::array<std::u16string, 8> m_boxes;
    std::u16string m_message;
    bool m_ended = false;
    bool m_timerEnabled = false;
};

// Where a report connects: Quintara's settings, as "Ler Quintara..." does, or a server of the
// command line, as the connection dialog would describe it.
struct ReportTarget {
    std::optional<std::u16string> servidor;  // none: Quintara's settings
    std::u16string banco;                    // empty: the login's default database
    std::optional<std::u16string> usuario;   // none: Windows integrated security
    std::u16string senha;
};

struct Report {
    ReportStatus status = ReportStatus::Ok;
    std::u16string message;                        // a failure's, as the window would show it
    ReportWindow window;                           // the boxes as the window would show them
    std::optional<std::u16string> productVersion;  // as read, without its label
};

// The window's own connect and pass, run to the end without a window: the click of "Ler
// Quintara..." (or, for a server of the command line, of "Ler Nova Conexão..." with the dialog's
// answer given), then Timer1 at once. What the window would show in a message box, or the dialog
// it would open, ends the report with the status of that kind of failure.
Report RunReport(const ReportTarget& target, RegistryApi& registry, DatabaseTimeouts timeouts = {});

}  // namespace kestrel
