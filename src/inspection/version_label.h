#pragma once

#include <string>
#include <string_view>

namespace kestrel {

// The release label shown behind a product version, e.g. u" - SQL Server 2008 R2 Service Pack 2"
// for u"10.50.4000.0". Never empty, never fails.
std::u16string VersionLabel(std::u16string_view versionText);

// The release's name alone, the label without its leading " - ": u"SQL Server 2008 R2 Service
// Pack 2" for u"10.50.4000.0".
std::u16string ReleaseName(std::u16string_view versionText);

}  // namespace kestrel
