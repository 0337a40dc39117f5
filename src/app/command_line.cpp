#include "app/command_line.h"

#include <string_view>

namespace kestrel {
namespace {

CommandLine Wrong(std::u16string what) {
    CommandLine wrong;
    wrong.action = CommandLine::Action::WrongUsage;
    wrong.wrong = std::move(what);
    return wrong;
}

}  // namespace

CommandLine ParseCommandLine(std::span<const std::u16string> arguments, bool windowsForms) {
    CommandLine line;
    if (arguments.empty()) {
        return line;
    }
    line.action = CommandLine::Action::Report;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::u16string_view argument = arguments[i];
        if (argument == u"--help" || argument == u"-h" || (windowsForms && argument == u"/?")) {
            line.action = CommandLine::Action::Help;
            return line;
        }
        std::u16string name;
        if (argument.starts_with(u"--")) {
            name = argument.substr(2);
        } else if (windowsForms && argument.starts_with(u"/")) {
            name = argument.substr(1);
        } else {
            return Wrong(u"argumento desconhecido: " + std::u16string(argument));
        }
        std::optional<std::u16string> attached;
        if (const std::size_t equals = name.find(u'='); equals != std::u16string::npos) {
            attached = name.substr(equals + 1);
            name.resize(equals);
        }
        std::optional<std::u16string>* valued = name == u"servidor"  ? &line.servidor
                                                : name == u"banco"   ? &line.banco
                                                : name == u"usuario" ? &line.usuario
                                                                     : nullptr;
        if (valued == nullptr) {
            if (attached || (name != u"relatorio" && name != u"json")) {
                return Wrong(u"opção desconhecida: " + std::u16string(argument));
            }
            line.json = line.json || name == u"json";
            continue;
        }
        if (*valued) {
            return Wrong(u"opção repetida: " + std::u16string(argument));
        }
        if (!attached) {
            if (i + 1 == arguments.size()) {
                return Wrong(u"falta o valor de " + std::u16string(argument));
            }
            attached = arguments[++i];
        }
        if (attached->empty()) {
            return Wrong(u"valor vazio em " + std::u16string(argument));
        }
        *valued = std::move(attached);
    }
    if ((line.banco || line.usuario) && !line.servidor) {
        return Wrong(u"--banco e --usuario valem só com --servidor");
    }
    return line;
}

std::u16string UsageText(bool windowsForms) {
    std::u16string text =
        u"Uso: kestrel [--relatorio] [--json] [--servidor SERVIDOR [--banco BANCO] "
        u"[--usuario USUARIO]]\n"
        u"     kestrel --help\n"
        u"\n"
        u"Sem argumentos, abre a janela. Com argumentos, escreve na saída padrão, sem janela, as\n"
        u"mesmas linhas que \"Copiar tudo\" copia da janela.\n"
        u"\n"
        u"  --relatorio          lê as configurações do Quintara, como \"Ler Quintara...\"\n"
        u"  --json               um objeto JSON em vez das linhas\n"
        u"  --servidor SERVIDOR  outro servidor (mesmas formas da janela: nome, nome\\instância,\n"
        u"                       nome,porta), com a segurança integrada do Windows\n"
        u"  --banco BANCO        o banco de dados do outro servidor (sem ele, o padrão do login)\n"
        u"  --usuario USUARIO    login do SQL Server; a senha é lida da entrada padrão (uma "
        u"linha)\n"
        u"  --help               esta ajuda\n"
        u"\n"
        u"Saída: 0 relatório completo; 1 falha inesperada do programa; 2 uso incorreto;\n"
        u"3 configurações do Quintara ausentes, incompletas ou ilegíveis; 4 tipo de gerenciador\n"
        u"não suportado; 5 não foi possível conectar; 6 a leitura do servidor falhou.\n"
        u"A mensagem de cada falha vai para a saída de erro.";
    if (windowsForms) {
        text += u"\n\nNo Windows, /relatorio, /json, /servidor, ... e /? valem o mesmo.";
    }
    return text;
}

}  // namespace kestrel
