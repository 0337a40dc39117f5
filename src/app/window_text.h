#pragma once

#include <string>
#include <string_view>

#include "base/window_services.h"

namespace kestrel {

// How the platform's clipboard text ends a line.
#ifdef _WIN32
inline constexpr std::u16string_view kClipboardLineEnd = u"\r\n";
#else
inline constexpr std::u16string_view kClipboardLineEnd = u"\n";
#endif

// A caption as it reads on screen: a lone "&" marks the access key and is not shown, "&&" shows
// one.
std::u16string CaptionAsShown(std::u16string_view caption);

// The whole window as text for a ticket: a line per box, top to bottom, its label's caption as it
// reads, one blank and the box's text exactly as the box holds it; an empty box gives its caption
// alone.
std::u16string WindowAsText(const WindowServices& services);

}  // namespace kestrel
