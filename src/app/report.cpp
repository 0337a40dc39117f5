#include "app/report.h"

#include "app/connection_prompt.h"
#include "app/main_window_handlers.h"
#include "connection/ole_db/data_link_string.h"

namespace kestrel {
namespace {

// The connection dialog of a report: it answers with the command line's server, or, on the
// stored settings' path, is never shown; that the window would have opened it is remembered.
class ReportPrompt : public ConnectionPrompt {
public:
    explicit ReportPrompt(std::optional<std::u16string> answer) : m_answer(std::move(answer)) {}

    std::optional<std::u16string> PromptNew() override {
        m_asked = !m_answer;
        return m_answer;
    }
    bool AskedTheUser() const { return m_asked; }

private:
    std::optional<std::u16string> m_answer;
    bool m_asked = false;
};

const std::u16string kSettingsUnusable =
    u"As configurações do Quintara (HKEY_LOCAL_MACHINE\\Software\\Norvik\\Database) estão "
    u"ausentes, incompletas ou ilegíveis; a janela abriria a caixa de conexão. Indique o servidor "
    u"com --servidor.";

}  // namespace

void ReportWindow::ShowMessage(const std::u16string& text, MessageIcon) {
    m_message = text;
}

void ReportWindow::SetText(TextBox box, const std::u16string& text) {
    m_boxes[std::size_t(box)] = text;
}

std::u16string ReportWindow::Text(TextBox box) const {
    return m_boxes[std::size_t(box)];
}

Report RunReport(const ReportTarget& target, RegistryApi& registry, DatabaseTimeouts timeouts) {
    Report report;
    std::optional<std::u16string> dialogAnswer;
    if (target.servidor) {
        dialogAnswer = BuildDataLinkString({.server = *target.servidor,
                                            .integratedSecurity = !target.usuario,
                                            .userName = target.usuario.value_or(u""),
                                            .password = target.senha,
                                            .database = target.banco});
    }
    ReportPrompt prompt(dialogAnswer);
    MainWindowHandlers handlers(report.window, registry, prompt, timeouts);
    const auto fail = [&report](ReportStatus status, const std::u16string& message) {
        report.status = status;
        report.message = message;
        return report;
    };

    if (target.servidor) {
        handlers.cmdNovaConexao_Click();
    } else {
        handlers.cmdQuintara_Click();
    }
    if (handlers.FaultReported()) {
        return fail(ReportStatus::Unexpected, report.window.LastMessage());
    }
    if (prompt.AskedTheUser()) {
        return fail(ReportStatus::SettingsUnusable, kSettingsUnusable);
    }
    if (report.window.Ended()) {
        return fail(ReportStatus::UnsupportedManagerType, report.window.LastMessage());
    }
    // A connect that succeeds always ends by enabling Timer1.
    if (!report.window.TimerEnabled()) {
        return fail(ReportStatus::CouldNotConnect, report.window.LastMessage());
    }
    handlers.Timer1_Timer();
    report.productVersion = handlers.ProductVersion();
    if (handlers.FaultReported()) {
        return fail(ReportStatus::Unexpected, report.window.LastMessage());
    }
    if (!handlers.WindowFilled()) {
        return fail(ReportStatus::PassFailed, report.window.LastMessage());
    }
    return report;
}

}  // namespace kestrel
