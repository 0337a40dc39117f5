#pragma once

#include "app/window_services.h"

namespace kestrel {

// The rules behind the events of frmPrincipal; the Qt layer only forwards the events here.
class MainWindowHandlers {
public:
    explicit MainWindowHandlers(WindowServices& services) : m_services(services) {}

    // "&Fechar": ends the program at once, nothing asked or saved.
    void Command1_Click();

private:
    WindowServices& m_services;
};

}  // namespace kestrel
