#pragma once

#include <memory>

#include "settings/registry_api.h"

namespace kestrel {

// The registry where Quintara keeps its settings: the Windows registry on Windows, elsewhere the
// registry of the Wine prefix that Wine itself would use.
std::unique_ptr<RegistryApi> MakePlatformRegistry();

}  // namespace kestrel
