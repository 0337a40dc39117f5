#include "app/manager_types.h"

#include <algorithm>
#include <array>

#include "base/maker_contact.h"

namespace kestrel {
namespace {

constexpr std::array<std::u16string_view, 6> kAcceptedManagerTypes = {
    u"SQLServer7", u"SQLServer2000", u"SQLServer65", u"SQLServer", u"MSDE", u"MSDE2000",
};

}  // namespace

bool IsAcceptedManagerType(std::u16string_view strGerenciador) {
    return std::ranges::find(kAcceptedManagerTypes, strGerenciador) != kAcceptedManagerTypes.end();
}

std::u16string UnsupportedManagerTypeMessage(std::u16string_view strGerenciador) {
    return u"O tipo setado está: " + std::u16string(strGerenciador) +
           u"\r\nEste programa é somente para Servidor de Banco de Dados SQL Server, MSDE ou SQL "
           u"Express.\r\nEntre em contato com o suporte do Quintara " +
           std::u16string(maker::kSupportEmail) + u".";
}

}  // namespace kestrel
