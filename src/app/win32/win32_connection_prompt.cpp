#include "app/win32/win32_connection_prompt.h"

#include "app/win32/data_link_dialog.h"

std::optional<std::u16string> Win32ConnectionPrompt::PromptNew() {
    return DataLinkDialog(m_timeouts).Run(m_owner.Handle());
}
