#include "app/main_window_handlers.h"

#include <exception>
#include <string>

#include "app/manager_types.h"
#include "app/window_text.h"
#include "base/failure.h"
#include "base/text.h"
#include "base/visible_text.h"
#include "base/wait_pump.h"
#include "base/windows_1252.h"
#include "connection/ole_db/stored_connection_string.h"
#include "inspection/box_text.h"
#include "inspection/inspection_pass.h"

namespace kestrel {
namespace {

// What the classic run-time reported when a cancelled dialog left no connection to read.
Failure ObjectNotSet() {
    return {91, u"A variável de objeto não foi definida: nenhuma conexão foi escolhida."};
}

// Marks a connect button's handler as under way for as long as it runs.
class ConnectUnderWay {
public:
    explicit ConnectUnderWay(bool& flag) : m_flag(flag) { m_flag = true; }
    ~ConnectUnderWay() { m_flag = false; }
    ConnectUnderWay(const ConnectUnderWay&) = delete;
    ConnectUnderWay& operator=(const ConnectUnderWay&) = delete;

private:
    bool& m_flag;
};

}  // namespace

void MainWindowHandlers::Run(WindowCommand command) {
    if (WaitUnderWay() && command != WindowCommand::Command1) {
        return;
    }
    const bool connect =
        command == WindowCommand::cmdQuintara || command == WindowCommand::cmdNovaConexao;
    if (connect && m_connectUnderWay) {
        return;
    }
    switch (command) {
        case WindowCommand::cmdQuintara: {
            const ConnectUnderWay underWay(m_connectUnderWay);
            return cmdQuintara_Click();
        }
        case WindowCommand::cmdNovaConexao: {
            const ConnectUnderWay underWay(m_connectUnderWay);
            return cmdNovaConexao_Click();
        }
        case WindowCommand::Command1:
            return Command1_Click();
        case WindowCommand::Timer1:
            return Timer1_Timer();
        case WindowCommand::CopiarTudo:
            return CopiarTudo();
    }
}

void MainWindowHandlers::cmdQuintara_Click() {
    try {
        const StoredSettingsReads reads = LoadStoredSettings(m_registry, m_services, m_settings);
        const bool accepted = IsAcceptedManagerType(m_settings.strGerenciador);
        if (!StoredSettingsUsable(m_settings, reads, accepted)) {
            PromptForConnection();
        } else {
            if (!accepted) {
                m_services.ShowMessage(UnsupportedManagerTypeMessage(m_settings.strGerenciador),
                                       MessageIcon::Information);
                m_services.EndProgram();
                return;
            }
            const StoredConnectionString built = BuildStoredConnectionString(
                m_settings.strServidor, m_settings.strBancoDados, m_settings.strUsuario,
                m_settings.strSenha, IntegratedSecurityChosen(reads.varUsarSSI));
            OpenNewConnection(built.connectionString, built.userId, built.password,
                              ConnectionSource::StoredSettings);
            m_services.SetText(TextBox::txtServidor, m_settings.strServidor);
        }
        StartInspection();
    } catch (const Failure& failure) {
        m_services.ShowMessage(failure.description + u" - n. " + DecimalText(failure.number),
                               MessageIcon::None);
    } catch (...) {
        ReportUnexpected();
    }
}

void MainWindowHandlers::cmdNovaConexao_Click() {
    try {
        PromptForConnection();
        StartInspection();
    } catch (const Failure& failure) {
        m_services.SetMousePointer(MousePointer::Default);
        m_services.ShowMessage(u"Erro: " + failure.description, MessageIcon::None);
    } catch (...) {
        ReportUnexpected();
    }
}

void MainWindowHandlers::Command1_Click() {
    m_services.EndProgram();
}

void MainWindowHandlers::Timer1_Timer() {
    // A timer event can still come after its pass was cancelled.
    if (!m_passPending) {
        m_services.SetTimerEnabled(false);
        return;
    }
    m_passPending = false;
    try {
        const PassOutcome outcome =
            RunInspectionPass(m_services, *m_cnBanco,
                              m_source == ConnectionSource::StoredSettings
                                  ? std::optional<std::u16string_view>(m_settings.strBancoDados)
                                  : std::nullopt);
        m_windowFilled = outcome.filled;
        m_productVersion = outcome.productVersion;
    } catch (...) {
        ReportUnexpected();
    }
}

void MainWindowHandlers::CopiarTudo() {
    if (!m_windowFilled) {
        return;
    }
    try {
        m_services.CopyToClipboard(WindowAsText(m_services));
    } catch (...) {
        ReportUnexpected();
    }
}

void MainWindowHandlers::ReportUnexpected() {
    std::u16string description = u"(sem descrição)";
    try {
        throw;
    } catch (const std::exception& fault) {
        description = VisibleText(DecodeWindows1252(fault.what()));
    } catch (...) {
    }
    m_faultReported = true;
    m_services.SetMousePointer(MousePointer::Default);
    m_services.ShowMessage(u"Erro inesperado: " + description, MessageIcon::None);
}

void MainWindowHandlers::PromptForConnection() {
    const std::optional<std::u16string> connectionString = m_prompt.PromptNew();
    if (!connectionString) {
        throw ObjectNotSet();
    }
    OpenNewConnection(*connectionString, u"", u"", ConnectionSource::Prompt);
    // The name the server reports is the server's text, shown as every box shows one.
    m_services.SetText(TextBox::txtServidor, BoxText(m_cnBanco->ServerName(), false));
}

void MainWindowHandlers::OpenNewConnection(std::u16string_view connectionString,
                                           std::u16string_view userId, std::u16string_view password,
                                           ConnectionSource source) {
    CancelPendingPass();
    m_cnBanco = std::make_unique<Connection>(m_timeouts);
    m_cnBanco->Open(connectionString, userId, password);
    m_source = source;
}

void MainWindowHandlers::StartInspection() {
    // The boxes describe the server before the one txtServidor names now, until the pass runs.
    m_windowFilled = false;
    m_services.SetMousePointer(MousePointer::Busy);
    m_services.SetTimerEnabled(true);
    m_passPending = true;
}

void MainWindowHandlers::CancelPendingPass() {
    if (!m_passPending) {
        return;
    }
    m_passPending = false;
    m_services.SetTimerEnabled(false);
    // They describe the server before the one txtServidor names now.
    for (TextBox box : kPassBoxes) {
        m_services.SetText(box, u"");
    }
    m_services.SetMousePointer(MousePointer::Default);
}

}  // namespace kestrel
