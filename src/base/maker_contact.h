#pragma once

// Norvik, the maker of Quintara: shown in the window's footer and in the messages that send the
// user to support.
namespace kestrel::maker {

inline constexpr char16_t kWebSite[] = u"www.norvik.com.br";
inline constexpr char16_t kSupportEmail[] = u"suporte@norvik.com.br";

}  // namespace kestrel::maker
