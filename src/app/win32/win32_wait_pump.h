#pragma once

#include <optional>

#include "app/win32/busy_pointer.h"
#include "app/win32/frm_principal.h"
#include "base/wait_pump.h"

// Keeps the window alive while the logic waits for a server, so that Windows does not mark it "Not
// responding": its messages are handled, so that it repaints and shows the hourglass, but clicks
// and keys are dropped, except that closing the window (title bar, Alt+F4), "&Fechar" and Alt+F end
// the program at once, abandoning the wait (nothing needs saving: the program writes nothing).
class Win32WaitPump final : public kestrel::WaitPump {
public:
    explicit Win32WaitPump(FrmPrincipal& window) : m_window(window) {}

    void Started() override { m_busy.emplace(); }
    void Pump() override;
    void Ended() override { m_busy.reset(); }

private:
    bool EndsTheProgram(const MSG& message) const;

    FrmPrincipal& m_window;
    std::optional<BusyWhileWaiting> m_busy;
};
