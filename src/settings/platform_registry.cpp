#include "settings/platform_registry.h"

#ifdef _WIN32
#include "settings/advapi32_registry.h"
#else
#include "settings/wine_registry.h"
#endif

namespace kestrel {

std::unique_ptr<RegistryApi> MakePlatformRegistry() {
#ifdef _WIN32
    return std::make_unique<Advapi32Registry>();
#else
    return std::make_unique<WineRegistry>(DefaultWinePrefix());
#endif
}

}  // namespace kestrel
