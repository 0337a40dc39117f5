#pragma once

#include <array>
#include <span>
#include <string_view>

namespace kestrel {

// Known builds, matched exactly against the whole product-version text.
struct VersionNameRow {
    std::span<const std::u16string_view> versions;
    std::u16string_view label;
};

struct MajorVersionRow {
    std::u16string_view key;
    std::u16string_view label;
};

std::span<const VersionNameRow> VersionNameTable();
std::span<const MajorVersionRow> MajorVersionTable();

inline constexpr std::u16string_view DefaultVersionLabel = u" - Não identificado";

}  // namespace kestrel
