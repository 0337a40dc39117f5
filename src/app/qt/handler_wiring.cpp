#include "app/qt/handler_wiring.h"

#include "base/wait_pump.h"

void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers) {
    QObject::connect(window.cmdQuintara, &QPushButton::clicked, &window,
                     [&handlers] { handlers.cmdQuintara_Click(); });
    QObject::connect(window.cmdNovaConexao, &QPushButton::clicked, &window,
                     [&handlers] { handlers.cmdNovaConexao_Click(); });
    QObject::connect(window.Command1, &QPushButton::clicked, &window,
                     [&handlers] { handlers.Command1_Click(); });
    // A timer event that comes while a handler waits for a server comes again at the next tick.
    QObject::connect(window.Timer1, &QTimer::timeout, &window, [&handlers] {
        if (!kestrel::WaitUnderWay()) {
            handlers.Timer1_Timer();
        }
    });
}
