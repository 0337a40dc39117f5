#pragma once

#include <windows.h>

#include <string_view>
#include <vector>

// The dialog template `id` of this program's resources with the face of its font replaced by
// `face`: the same dialog, laid out in the dialog units of that face. Empty when the resource is
// missing or is not an extended template with a font.
std::vector<WORD> DialogTemplateInFace(int id, std::wstring_view face);
