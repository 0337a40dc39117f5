#pragma once

#include <string>

#include "support/fake_registry.h"

// Quintara's settings as the product stores them under HKEY_LOCAL_MACHINE (text values, ANSI).
struct QuintaraSettings {
    std::string gerenciador = "SQLServer2000";
    std::string servidor{};
    std::string bancoDados = "Quintara";
    std::string nameUser = "sa";
    std::string password{};
    std::string usarSSI = "0";

    void StoreIn(FakeRegistry& registry) const {
        const auto store = [&registry](const char* name, const std::string& text) {
            registry.Set(kestrel::root_key::kLocalMachine, "Software\\Norvik\\Database", name,
                         {kestrel::registry_type::kString, text + '\0'});
        };
        store("GerenciadorBancoDados", gerenciador);
        store("Servidor", servidor);
        store("BancoBados", bancoDados);
        store("NameUser", nameUser);
        store("Password", password);
        store("UsarSSI", usarSSI);
    }
};
