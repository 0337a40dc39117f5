#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/connection_prompt.h"
#include "app/frm_principal_layout.h"
#include "base/window_services.h"
#include "connection/database_access.h"
#include "settings/registry_api.h"
#include "settings/stored_connection_settings.h"

namespace kestrel {

// The rules behind the events of frmPrincipal; the Qt layer only forwards the events here. It also
// holds what lives as long as the window: the stored settings last loaded and the program-wide
// connection cnBanco.
class MainWindowHandlers {
public:
    MainWindowHandlers(WindowServices& services, RegistryApi& registry, ConnectionPrompt& prompt,
                       DatabaseTimeouts timeouts = {})
        : m_services(services), m_registry(registry), m_prompt(prompt), m_timeouts(timeouts) {}

    // What both views forward, whatever gave the command: a click, an access key, a screen reader,
    // a message from another program. A command given while a wait of the window's thread is under
    // way is dropped, as the wait drops clicks and keys: its handler would run inside the wait and
    // replace the connection the wait is using. A Timer1 tick so dropped comes again at the next
    // tick; "&Fechar" still ends the program, at once. Nor does a connect button run while the
    // other's handler is still under way (its dialog or a message box open, which a screen reader
    // can reach past): the window's connects follow one another, as the window's modality means.
    void Run(WindowCommand command);

    // "Ler Quintara...": connects with the settings the Quintara product stored.
    void cmdQuintara_Click();
    // "Ler Nova Conexão...": connects with what the user describes in the connection dialog.
    void cmdNovaConexao_Click();
    // "&Fechar": ends the program at once, nothing asked or saved.
    void Command1_Click();
    // One inspection pass per successful connect.
    void Timer1_Timer();
    // "Copiar tudo": the whole window onto the clipboard, for a ticket; nothing before a pass has
    // filled the window.
    void CopiarTudo();
    // Whether the boxes hold what the last pass found about the server that txtServidor names.
    bool WindowFilled() const { return m_windowFilled; }
    // The product version the last pass read, before its label; nothing when it read none.
    const std::optional<std::u16string>& ProductVersion() const { return m_productVersion; }
    // Whether a fault of the program itself ("Erro inesperado") has been reported.
    bool FaultReported() const { return m_faultReported; }

private:
    // Where the open connection came from; it decides which database the pass describes.
    enum class ConnectionSource { StoredSettings, Prompt };

    // A fault of the program itself rather than of a server or the settings, caught as it leaves
    // a handler: said in a message box as a failure is, with the default pointer back, and the
    // program goes on. Called from a catch block only.
    void ReportUnexpected();
    void PromptForConnection();
    // Replaces cnBanco with a new connection and opens it. The earlier connection is released
    // first, never closed explicitly, and a pass still pending for it is cancelled; if the open
    // fails, cnBanco holds the unopened one.
    void OpenNewConnection(std::u16string_view connectionString, std::u16string_view userId,
                           std::u16string_view password, ConnectionSource source);
    // The end of every successful connect: busy pointer and Timer1 on; the pass runs when it fires.
    void StartInspection();
    // A pass never runs on a connection that is gone: the timer goes off, the boxes it would have
    // filled are emptied and the default pointer comes back.
    void CancelPendingPass();

    WindowServices& m_services;
    RegistryApi& m_registry;
    ConnectionPrompt& m_prompt;
    DatabaseTimeouts m_timeouts;
    StoredConnectionSettings m_settings;
    std::unique_ptr<Connection> m_cnBanco;
    ConnectionSource m_source = ConnectionSource::Prompt;
    bool m_passPending = false;
    bool m_connectUnderWay = false;
    bool m_windowFilled = false;
    bool m_faultReported = false;
    std::optional<std::u16string> m_productVersion;
};

}  // namespace kestrel
