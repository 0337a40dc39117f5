#include "app/handler_wiring.h"

void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers) {
    QObject::connect(window.Command1, &QPushButton::clicked, &window,
                     [&handlers] { handlers.Command1_Click(); });
}
