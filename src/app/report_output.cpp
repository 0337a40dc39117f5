#include "app/report_output.h"

#include <nlohmann/json.hpp>
#include <utility>

#include "app/window_text.h"
#include "base/utf8.h"
#include "inspection/version_label.h"

namespace kestrel {
namespace {

// Stable names for scripts; ASCII, as the window's captions are not.
constexpr std::pair<TextBox, const char*> kBoxKeys[] = {
    {TextBox::txtServidor, "servidor"},
    {TextBox::txtVersao, "versao"},
    {TextBox::txtNivel, "nivel"},
    {TextBox::txtEdicao, "edicao"},
    {TextBox::txtEngineEdition, "edicao_mecanismo"},
    {TextBox::txtBancoDados, "banco_dados"},
    {TextBox::txtTamanhoBancoDados, "tamanho_banco_dados"},
    {TextBox::txtLocalBD, "local_banco"},
};

}  // namespace

std::u16string ReportLines(const Report& report) {
    return WindowAsText(report.window);
}

std::string ReportJson(const Report& report) {
    // In the order of the window, for the columns of a table made from it.
    nlohmann::ordered_json json;
    for (const auto& [box, key] : kBoxKeys) {
        json[key] = Utf8(report.window.Text(box));
    }
    json["versao_numero"] = nullptr;
    json["versao_nome"] = nullptr;
    if (report.productVersion) {
        json["versao_numero"] = Utf8(*report.productVersion);
        json["versao_nome"] = Utf8(ReleaseName(*report.productVersion));
    }
    json["erro"] = nullptr;
    if (report.status != ReportStatus::Ok) {
        json["erro"] = {{"status", int(report.status)}, {"mensagem", Utf8(report.message)}};
    }
    return json.dump(-1, ' ', true) + Utf8(kClipboardLineEnd);
}

std::u16string MessageLines(std::u16string_view message) {
    std::u16string lines;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == u'\r' && i + 1 < message.size() && message[i + 1] == u'\n') {
            continue;
        }
        if (message[i] == u'\n') {
            lines += kClipboardLineEnd;
        } else {
            lines += message[i];
        }
    }
    return lines + std::u16string(kClipboardLineEnd);
}

}  // namespace kestrel
