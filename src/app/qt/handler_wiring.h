#pragma once

#include "app/main_window_handlers.h"
#include "app/qt/frm_principal.h"

// Forwards the window's events to their handlers. No other event of the window is handled.
void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers);
