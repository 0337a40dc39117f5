#include <windows.h>

#include <commctrl.h>

#include <cstdlib>
#include <memory>

#include "app/main_window_handlers.h"
#include "app/view_window_services.h"
#include "app/win32/command_line_main.h"
#include "app/win32/frm_principal.h"
#include "app/win32/message_loop.h"
#include "app/win32/win32_connection_prompt.h"
#include "app/win32/win32_wait_pump.h"
#include "settings/platform_registry.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int showCommand) {
    if (__argc > 1) {
        return CommandLineMain(__argc, __wargv);
    }
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&classes);

    FrmPrincipal window;
    ViewWindowServices services(window);
    const std::unique_ptr<kestrel::RegistryApi> registry = kestrel::MakePlatformRegistry();
    Win32ConnectionPrompt prompt(window);
    kestrel::MainWindowHandlers handlers(services, *registry, prompt);
    window.ForwardEventsTo(handlers);
    Win32WaitPump pump(window);
    kestrel::InstallWaitPump(&pump);
    window.Show(showCommand);
    return RunMessageLoop(window.Handle());
}
