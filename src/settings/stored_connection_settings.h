#pragma once

#include <string>

#include "base/window_services.h"
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

// What one load found besides the five fields: the UsarSSI read as the reader returned it,
// unconverted, and which fields hold "Error" because their value could not be read.
struct StoredSettingsReads {
    RegistryValue varUsarSSI;
    bool servidorFailed = false;
    bool bancoDadosFailed = false;
    bool usuarioFailed = false;
    bool senhaFailed = false;
};

// Reads Quintara's six settings afresh, one read each and in Quintara's order, overwriting
// `settings` field by field; a failed read does not stop the others.
StoredSettingsReads LoadStoredSettings(RegistryApi& registry, WindowServices& services,
                                       StoredConnectionSettings& settings);

// Whether UsarSSI chooses integrated security: only when it reads exactly as the text "1".
bool IntegratedSecurityChosen(const RegistryValue& varUsarSSI);

// Whether the click may go on with the stored settings rather than the connection dialog: the
// server, the manager type and the database name are non-empty, and no value that would be sent
// to a server failed to be read (the server, the database name and, with a server login, the login
// name and password): "Error" in their place would be sent as a host name or a login. A manager
// type that is not accepted (`managerTypeAccepted`), read or not ("Error"), leaves the settings
// usable whatever the other values, so that it is refused with its message: nothing is sent then.
bool StoredSettingsUsable(const StoredConnectionSettings& settings,
                          const StoredSettingsReads& reads, bool managerTypeAccepted);

}  // namespace kestrel
