#include "inspection/version_label.h"

#include <algorithm>

#include "inspection/version_names.h"

namespace kestrel {
namespace {

// The first two UTF-16 code units without their dots: "9.00.1399" gives "9", "80.194.0" gives "80".
std::u16string MajorVersionText(std::u16string_view versionText) {
    std::u16string major(versionText.substr(0, 2));
    std::erase(major, u'.');
    return major;
}

}  // namespace

std::u16string VersionLabel(std::u16string_view versionText) {
    for (const VersionNameRow& row : VersionNameTable()) {
        if (std::ranges::find(row.versions, versionText) != row.versions.end()) {
            return std::u16string(row.label);
        }
    }
    const std::u16string major = MajorVersionText(versionText);
    for (const MajorVersionRow& row : MajorVersionTable()) {
        if (row.key == major) {
            return std::u16string(row.label);
        }
    }
    return std::u16string(DefaultVersionLabel);
}

std::u16string ReleaseName(std::u16string_view versionText) {
    // Every label starts with the " - " that joins it to the version in the box.
    return VersionLabel(versionText).substr(3);
}

}  // namespace kestrel
