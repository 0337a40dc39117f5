#pragma once

#include <string>

#include "app/window_services.h"
#include "settings/registry_api.h"
#include "settings/registry_value_reader.h"

namespace kestrel {

// The database connection settings that Quintara keeps in the registry, as loaded by the last
// "Ler Quintara..." click; a value that could not be read is held as "Error".
struct StoredConnectionSettings {
    std::u16string strGerenciador;
    std::u16string strServidor;
    std::u16string strBancoDados;
    std::u16string strUsuario;
    std::u16string strSenha;
};

// Reads Quintara's six settings afresh, one read each and in Quintara's order, overwriting
// `settings` field by field; a failed read does not stop the others. Gives back the UsarSSI read
// as the reader returned it, unconverted.
RegistryValue LoadStoredSettings(RegistryApi& registry, WindowServices& services,
                                 StoredConnectionSettings& settings);

// Whether the server, the manager type and the database name are all non-empty. "Error" counts as
// non-empty, so a missing key or value never sends the user to the connection prompt.
bool StoredSettingsUsable(const StoredConnectionSettings& settings);

}  // namespace kestrel
