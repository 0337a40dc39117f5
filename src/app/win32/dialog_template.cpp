#include "app/win32/dialog_template.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

// A DLGTEMPLATEEX in 16-bit words: the fixed fields, then the menu, the window class and the
// title, each a name or an ordinal, then (with DS_SETFONT) the point size, the weight, italic and
// character set, and the face; the items follow, on a 4-byte boundary.
constexpr std::size_t kFixedWords = 13;
constexpr std::size_t kStyleWord = 6;
constexpr std::size_t kFontFieldWords = 3;

// The word after the name or ordinal that starts at `at`.
std::optional<std::size_t> After(const std::vector<WORD>& words, std::size_t at) {
    if (at >= words.size()) {
        return std::nullopt;
    }
    if (words[at] == 0x0000) {
        return at + 1;
    }
    if (words[at] == 0xFFFF) {
        return at + 2;
    }
    while (at < words.size() && words[at] != 0) {
        ++at;
    }
    return at < words.size() ? std::optional(at + 1) : std::nullopt;
}

}  // namespace

std::vector<WORD> DialogTemplateInFace(int id, std::wstring_view face) {
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), RT_DIALOG);
    const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return {};
    }
    std::vector<WORD> original(SizeofResource(module, found) / sizeof(WORD));
    std::memcpy(original.data(), data, original.size() * sizeof(WORD));
    if (original.size() < kFixedWords || original[1] != 0xFFFF) {
        return {};
    }
    DWORD style = 0;
    std::memcpy(&style, &original[kStyleWord], sizeof style);
    std::optional<std::size_t> at = kFixedWords;
    for (int field = 0; field < 3 && at; ++field) {
        at = After(original, *at);
    }
    if (!at || !(style & DS_SETFONT)) {
        return {};
    }
    const std::size_t faceAt = *at + kFontFieldWords;
    const std::optional<std::size_t> itemsAt = After(original, faceAt);
    if (!itemsAt) {
        return {};
    }
    std::vector<WORD> changed(original.begin(), original.begin() + std::ptrdiff_t(faceAt));
    changed.insert(changed.end(), face.begin(), face.end());
    changed.push_back(0);
    // The items start on a 4-byte boundary in both.
    const std::size_t itemsFrom = std::min((*itemsAt + 1) & ~std::size_t(1), original.size());
    if (changed.size() % 2 != 0) {
        changed.push_back(0);
    }
    changed.insert(changed.end(), original.begin() + std::ptrdiff_t(itemsFrom), original.end());
    return changed;
}
