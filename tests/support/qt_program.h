#pragma once

#include <filesystem>
#include <string>

#include "app/main_window_handlers.h"
#include "app/qt/data_link_dialog.h"
#include "app/qt/frm_principal.h"
#include "app/qt/handler_wiring.h"
#include "app/qt/qt_connection_prompt.h"
#include "app/qt/qt_wait_pump.h"
#include "app/view_window_services.h"
#include "settings/wine_registry.h"
#include "support/qt_modal_answerer.h"
#include "support/scenario.h"
#include "support/tds_test_server.h"
#include "support/temp_wine_prefix.h"
#include "support/wine_system_reg.h"

// The program's window wired as main.cpp wires it (its own time bounds, the real connection
// dialog, the window kept alive while it waits), shown, over a Wine-style registry in a prefix of
// its own and a TDS test server; what its modal loops open is answered by `answerer`.
struct QtProgram {
    explicit QtProgram(const Scenario& scenario) : server(scenario.Json()) {
        ConnectHandlers(window, handlers);
        kestrel::InstallWaitPump(&pump);
        window.show();
    }
    ~QtProgram() { kestrel::InstallWaitPump(nullptr); }

    // Quintara's settings for the server, with `password`, as Wine keeps them in system.reg; the
    // server written as `written`, by default its address.
    void StoreSettings(const std::string& password, const std::string& written = "") const {
        WriteWineSystemReg(prefix.path(), "Software\\Norvik\\Database",
                           {{"GerenciadorBancoDados", "SQLServer2000"},
                            {"Servidor", written.empty() ? server.address() : written},
                            {"BancoBados", "Quintara"},
                            {"NameUser", "sa"},
                            {"Password", password},
                            {"UsarSSI", "0"}});
    }

    QString Text(kestrel::TextBox box) const { return window.box(box)->text(); }

    TempWinePrefix prefix;
    kestrel::WineRegistry registry{prefix.path()};
    TdsTestServer server;
    FrmPrincipal window;
    ViewWindowServices services{window};
    QtConnectionPrompt prompt{&window};
    QtWaitPump pump{window};
    kestrel::MainWindowHandlers handlers{services, registry, prompt};
    ModalAnswerer<DataLinkDialog> answerer;
};
