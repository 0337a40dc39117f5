#pragma once

#include "app/connection_prompt.h"
#include "app/win32/frm_principal.h"
#include "connection/database_access.h"

// The connection prompt over our own connection dialog, modal to the main window.
class Win32ConnectionPrompt final : public kestrel::ConnectionPrompt {
public:
    explicit Win32ConnectionPrompt(const FrmPrincipal& owner,
                                   kestrel::DatabaseTimeouts timeouts = {})
        : m_owner(owner), m_timeouts(timeouts) {}

    std::optional<std::u16string> PromptNew() override;

private:
    const FrmPrincipal& m_owner;
    kestrel::DatabaseTimeouts m_timeouts;
};
