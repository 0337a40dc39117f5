#pragma once

#include "app/qt/frm_principal.h"
#include "app/main_window_handlers.h"

// Forwards the window's events to their handlers. No other event of the window is handled.
void ConnectHandlers(FrmPrincipal& window, kestrel::MainWindowHandlers& handlers);
