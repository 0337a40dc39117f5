#pragma once

#include <string>
#include <string_view>

#include "settings/registry_value_reader.h"
#include "settings/wine_registry.h"
#include "support/recording_window_services.h"
#include "support/temp_wine_prefix.h"

// A registry over one system.reg that a test writes, read as the program reads it.
class OneFileRegistry {
public:
    void Write(std::string_view text) const { m_prefix.WriteFile("system.reg", text); }
    std::u16string Read(std::u16string_view valueName) {
        return kestrel::ReadRegistryValue(m_registry, m_services, u"HKEY_LOCAL_MACHINE",
                                          u"Software\\Norvik\\Database", valueName)
            .value.value_or(u"");
    }

private:
    TempWinePrefix m_prefix;
    kestrel::WineRegistry m_registry{m_prefix.path()};
    RecordingWindowServices m_services;
};
