#include "app/main_window_handlers.h"

namespace kestrel {

void MainWindowHandlers::Command1_Click() {
    m_services.EndProgram();
}

}  // namespace kestrel
