#include "app/qt/handler_wiring.h"

#include "base/wait_pump.h"

void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers) {
    // Every event may fill the window or start describing another server.
    const auto forward = [&window, &handlers](void (kestrel::MainWindowHandlers::*event)()) {
        return [&window, &handlers, event] {
            (handlers.*event)();
            window.actCopiarTudo->setEnabled(handlers.WindowFilled());
        };
    };
    QObject::connect(window.cmdQuintara, &QPushButton::clicked, &window,
                     forward(&kestrel::MainWindowHandlers::cmdQuintara_Click));
    QObject::connect(window.cmdNovaConexao, &QPushButton::clicked, &window,
                     forward(&kestrel::MainWindowHandlers::cmdNovaConexao_Click));
    QObject::connect(window.Command1, &QPushButton::clicked, &window,
                     forward(&kestrel::MainWindowHandlers::Command1_Click));
    // A timer event that comes while a handler waits for a server comes again at the next tick.
    QObject::connect(window.Timer1, &QTimer::timeout, &window,
                     [timer = forward(&kestrel::MainWindowHandlers::Timer1_Timer)] {
                         if (!kestrel::WaitUnderWay()) {
                             timer();
                         }
                     });
    QObject::connect(window.actCopiarTudo, &QAction::triggered, &window,
                     forward(&kestrel::MainWindowHandlers::CopiarTudo));
}
