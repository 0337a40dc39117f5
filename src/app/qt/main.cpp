#include <QApplication>
#include <QScreen>
#include <cstdio>
#include <cstdlib>

#include "app/main_window_handlers.h"
#include "app/qt/frm_principal.h"
#include "app/qt/handler_wiring.h"
#include "app/qt/qt_connection_prompt.h"
#include "app/qt/qt_wait_pump.h"
#include "app/qt/window_icon.h"
#include "app/view_window_services.h"
#include "settings/platform_registry.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrel"));
    QApplication::setApplicationVersion(QStringLiteral(KESTREL_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("com.norvik.Kestrel"));
    // The icon goes to X once the window's map request has: its seven sizes (350 KB) ahead of it
    // would hold the window back while the X server takes them in. The window holds the icon
    // itself and the dialogs get it from the program: an icon of the program's at the window's
    // making would be handed to X twice, once as X makes the window and once as the widget gives
    // its own.
    const QIcon icon = KestrelIcon();

    FrmPrincipal window;
    ViewWindowServices services(window);
    const std::unique_ptr<kestrel::RegistryApi> registry = kestrel::MakePlatformRegistry();
    QtConnectionPrompt prompt(&window);
    kestrel::MainWindowHandlers handlers(services, *registry, prompt);
    ConnectHandlers(window, handlers);
    QtWaitPump pump(window);
    kestrel::InstallWaitPump(&pump);

    const QRect screen = window.screen()->availableGeometry();
    window.move(screen.center() - window.rect().center());
    window.show();
    window.setWindowIcon(icon);
    QApplication::setWindowIcon(icon);
    const int status = QApplication::exec();
    // The program ends at once, as "&Fechar" asks: it writes nothing, and a connection's thread
    // still held by a server is not waited for.
    std::fflush(nullptr);
    std::_Exit(status);
}
