#pragma once

#include <string>
#include <string_view>

// The values that registry_fixtures/add-values.sh writes with Wine's "reg add" under
// HKEY_LOCAL_MACHINE\Software\Norvik\Kestrel Values, and what the reader gives for each.
struct WrittenRegistryValue {
    std::u16string_view name;
    std::u16string expected;
};

inline constexpr std::u16string_view kWrittenValuesKey = u"Software\\Norvik\\Kestrel Values";

inline const WrittenRegistryValue kWrittenRegistryValues[] = {
    {u"Blanks", u"Quintara Server"},
    {u"OnlyBlanks", u""},
    {u"Empty", u""},
    {u"Chars254", std::u16string(254, u'x')},
    {u"Chars255", u"Error"},
    {u"Multi", u"primeiro"},
    {u"Dword1", u"\x01"},
    {u"DwordHex", u"xV4\x12"},
    {u"Expand", u"%SystemRoot%\\system32"},
    {u"Accented", u"São João, café, ação"},
    {u"Euro", u"€ 10"},
    {u"Greek", u"????da"},
    {u"Escapes", u"C:\\Dados\\\"quintara\""},
    {u"Tab", u"\tcom tab\t"},
    {u"Binary", u"Hello"},
    {u"LongBinary", std::u16string(60, u'A')},
    {u"Qword", u"HGFEDCBA"},
    {u"Descrição", u"valor com nome acentuado"},
    {u"", u"Padrão"},
};

// What add-values.sh writes in the 32-bit view, the 64-bit view or both, below
// HKEY_LOCAL_MACHINE, and what a read gives: a key is read from the 32-bit view when it is there,
// whether or not it holds the value.
struct WrittenViewValue {
    std::u16string_view subkey;
    std::u16string_view name;
    std::u16string_view expected;
};

inline const WrittenViewValue kWrittenViewValues[] = {
    {u"Software\\Norvik\\Kestrel Views\\Both", u"Vista", u"32 bits"},
    {u"Software\\Norvik\\Kestrel Views\\Both", u"Somente64", u"Error"},
    {u"Software\\Norvik\\Kestrel Views\\Only32", u"Vista", u"32 bits"},
    {u"Software\\Norvik\\Kestrel Views\\Only64", u"Vista", u"64 bits"},
    {u"Software\\Wow6432Node\\Norvik\\Kestrel Views\\Only32", u"Vista", u"32 bits"},
};
