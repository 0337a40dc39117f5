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
    // Whether the value could not be read; the manager type's does not matter (it is refused).
    const auto readText = [&](std::u16string_view valueName, std::u16string& field) {
        const RegistryRead read = ReadRegistryValue(registry, services, kRoot, kKey, valueName);
        field = read.value.value_or(u"");
        return read.failed;
    };
    readText(u"GerenciadorBancoDados", settings.strGerenciador);
    reads.servidorFailed = readText(u"Servidor", settings.strServidor);
    // Quintara writes the database name under this misspelt name.
    reads.bancoDadosFailed = readText(u"BancoBados", settings.strBancoDados);
    reads.usuarioFailed = readText(u"NameUser", settings.strUsuario);
    reads.senhaFailed = readText(u"Password", settings.strSenha);
    reads.varUsarSSI = ReadRegistryValue(registry, services, kRoot, kKey, u"UsarSSI").value;
    return reads;
}

bool IntegratedSecurityChosen(const RegistryValue& varUsarSSI) {
    return varUsarSSI.value_or(u"") == u"1";
}

bool StoredSettingsUsable(const StoredConnectionSettings& settings,
                          const StoredSettingsReads& reads, bool managerTypeAccepted) {
    if (settings.strServidor.empty() || settings.strGerenciador.empty() ||
        settings.strBancoDados.empty()) {
        return false;
    }
    if (!managerTypeAccepted) {
        return true;
    }
    const bool loginFailed =
        !IntegratedSecurityChosen(reads.varUsarSSI) && (reads.usuarioFailed || reads.senhaFailed);
    return !reads.servidorFailed && !reads.bancoDadosFailed && !loginFailed;
}

}  // namespace kestrel
