#pragma once

#include <string>
#include <string_view>

#include "app/report.h"

namespace kestrel {

// A filled report as "Copiar tudo" copies the window: a line per box.
std::u16string ReportLines(const Report& report);

// The report as one JSON object on one line, ASCII only (other characters as \u escapes), so that
// any console or code page reads it unchanged. A member per box, the product version and its
// release name apart, and "erro" (null when the report is complete):
//   {"servidor":..., "versao":..., "nivel":..., "edicao":..., "edicao_mecanismo":...,
//    "banco_dados":..., "tamanho_banco_dados":..., "local_banco":..., "versao_numero":...,
//    "versao_nome":..., "erro":{"status":N,"mensagem":...}}
// The version's members are null when no version was read.
std::string ReportJson(const Report& report);

// A message for standard error: its lines ended as the platform ends them, the last one too.
std::u16string MessageLines(std::u16string_view message);

}  // namespace kestrel
