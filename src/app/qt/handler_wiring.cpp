#include "app/qt/handler_wiring.h"

using kestrel::WindowCommand;

void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers) {
    // Every command may fill the window or start describing another server.
    const auto run = [&window, &handlers](WindowCommand command) {
        return [&window, &handlers, command] {
            handlers.Run(command);
            window.actCopiarTudo->setEnabled(handlers.WindowFilled());
        };
    };
    QObject::connect(window.cmdQuintara, &QPushButton::clicked, &window,
                     run(WindowCommand::cmdQuintara));
    QObject::connect(window.cmdNovaConexao, &QPushButton::clicked, &window,
                     run(WindowCommand::cmdNovaConexao));
    QObject::connect(window.Command1, &QPushButton::clicked, &window, run(WindowCommand::Command1));
    QObject::connect(window.Timer1, &QTimer::timeout, &window, run(WindowCommand::Timer1));
    QObject::connect(window.actCopiarTudo, &QAction::triggered, &window,
                     run(WindowCommand::CopiarTudo));
}
