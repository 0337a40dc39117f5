#include "settings/stored_connection_settings.h"

#include <string_view>

namespace kestrel {
namespace {

constexpr std::u16string_view kRoot = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kKey = u"Software\\Norvik\\Database";

}  // namespace

StoredSettingsReads LoadStoredSettings(RegistryApi& registry, WindowServices& services,
                                       StoredConnectionSettings& settings) {
    StoredSettingsReads reads;
    const auto readText = [&](std::u16string_view valueName, std::u16string& field, bool& failed) {
        const RegistryRead read = ReadRegistryValue(registry, services, kRoot, kKey, valueName);
        field = read.value.value_or(u"");
        failed = read.failed;
    };
    readText(u"GerenciadorBancoDados", settings.strGerenciador, reads.gerenciadorFailed);
    readText(u"Servidor", settings.strServidor, reads.servidorFailed);
    // Quintara writes the database name under this misspelt name.
    readText(u"BancoBados", settings.strBancoDados, reads.bancoDadosFailed);
    readText(u"NameUser", settings.strUsuario, reads.usuarioFailed);
    readText(u"Password", settings.strSenha, reads.senhaFailed);
    reads.varUsarSSI = ReadRegistryValue(registry, services, kRoot, kKey, u"UsarSSI").value;
    return reads;
}

bool IntegratedSecurityChosen(const RegistryValue& varUsarSSI) {
    return varUsarSSI.value_or(u"") == u"1";
}

bool StoredSettingsUsable(const StoredConnectionSettings& settings,
                          const StoredSettingsReads& reads) {
    if (settings.strServidor.empty() || settings.strGerenciador.empty() ||
        settings.strBancoDados.empty()) {
        return false;
    }
    if (reads.gerenciadorFailed) {
        return true;
    }
    const bool loginFailed =
        !IntegratedSecurityChosen(reads.varUsarSSI) && (reads.usuarioFailed || reads.senhaFailed);
    return !reads.servidorFailed && !reads.bancoDadosFailed && !loginFailed;
}

}  // namespace kestrel
