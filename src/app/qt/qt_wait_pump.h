#pragma once

#include <QObject>

#include "app/qt/frm_principal.h"
#include "base/wait_pump.h"

// Keeps the window alive while the logic waits for a server: Qt's events are handled, so that it
// repaints and shows the busy pointer, but clicks and keys are dropped, except that closing the
// window, "&Fechar" and Alt+F end the program at once, abandoning the wait (nothing needs saving:
// the program writes nothing).
class QtWaitPump final : public QObject, public kestrel::WaitPump {
public:
    explicit QtWaitPump(FrmPrincipal& window) : m_window(window) {}

    void Started() override;
    void Pump() override;
    void Ended() override;

protected:
    bool eventFilter(QObject* target, QEvent* event) override;

private:
    bool ReleasedOnFechar(QObject* target, QEvent* event) const;

    FrmPrincipal& m_window;
};
