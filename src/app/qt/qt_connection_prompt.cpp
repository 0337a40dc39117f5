#include "app/qt/qt_connection_prompt.h"

#include "app/qt/data_link_dialog.h"

std::optional<std::u16string> QtConnectionPrompt::PromptNew() {
    DataLinkDialog dialog(m_owner, m_timeouts);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.connectionString();
}
