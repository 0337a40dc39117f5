#pragma once

#include <string_view>

// What the connection dialog says, in both front ends. "&" marks a control's access key.
namespace kestrel::data_link_texts {

inline constexpr std::u16string_view kTitle = u"Propriedades de vínculo de dados";
inline constexpr std::u16string_view kIntro =
    u"Especifique o seguinte para se conectar a dados do SQL Server:";
inline constexpr std::u16string_view kServerGroup = u"1. Selecione ou digite um nome de servidor:";
inline constexpr std::u16string_view kServerHint =
    u"servidor, servidor\\instância ou servidor,porta";
inline constexpr std::u16string_view kServerName = u"Nome do servidor";
inline constexpr std::u16string_view kLogOnGroup =
    u"2. Insira informações para fazer logon no servidor:";
inline constexpr std::u16string_view kIntegratedSecurity =
    u"Usar a segurança &integrada do Windows NT";
inline constexpr std::u16string_view kServerLogin =
    u"Usar um nome de &usuário e senha específicos:";
inline constexpr std::u16string_view kUserName = u"&Nome de usuário:";
inline constexpr std::u16string_view kPassword = u"S&enha:";
inline constexpr std::u16string_view kBlankPassword = u"Senha em &branco";
inline constexpr std::u16string_view kDatabaseGroup = u"3. Selecione o banco de dados no servidor:";
inline constexpr std::u16string_view kDatabaseName = u"Banco de dados";
inline constexpr std::u16string_view kRefresh = u"&Atualizar lista";
inline constexpr std::u16string_view kTestConnection = u"&Testar conexão";
inline constexpr std::u16string_view kOk = u"OK";
inline constexpr std::u16string_view kCancel = u"Cancelar";

}  // namespace kestrel::data_link_texts
