#pragma once

#include "app/connection_prompt.h"
#include "connection/database_access.h"

class QWidget;

// The connection prompt over our own data-link dialog, modal to the main window.
class QtConnectionPrompt final : public kestrel::ConnectionPrompt {
public:
    explicit QtConnectionPrompt(QWidget* owner, kestrel::DatabaseTimeouts timeouts = {})
        : m_owner(owner), m_timeouts(timeouts) {}

    std::optional<std::u16string> PromptNew() override;

private:
    QWidget* m_owner;
    kestrel::DatabaseTimeouts m_timeouts;
};
