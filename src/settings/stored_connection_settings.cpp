#include "settings/stored_connection_settings.h"

#include <string_view>

namespace kestrel {
namespace {

constexpr std::u16string_view kRoot = u"HKEY_LOCAL_MACHINE";
constexpr std::u16string_view kKey = u"Software\\Norvik\\Database";

}  // namespace

RegistryValue LoadStoredSettings(RegistryApi& registry, WindowServices& services,
                                 StoredConnectionSettings& settings) {
    const auto readText = [&](std::u16string_view valueName) {
        return ReadRegistryValue(registry, services, kRoot, kKey, valueName).value_or(u"");
    };
    settings.strGerenciador = readText(u"GerenciadorBancoDados");
    settings.strServidor = readText(u"Servidor");
    // Quintara writes the database name under this misspelt name.
    settings.strBancoDados = readText(u"BancoBados");
    settings.strUsuario = readText(u"NameUser");
    settings.strSenha = readText(u"Password");
    return ReadRegistryValue(registry, services, kRoot, kKey, u"UsarSSI");
}

bool StoredSettingsUsable(const StoredConnectionSettings& settings) {
    return !settings.strServidor.empty() && !settings.strGerenciador.empty() &&
           !settings.strBancoDados.empty();
}

}  // namespace kestrel
