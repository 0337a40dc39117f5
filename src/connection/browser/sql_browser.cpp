#include "connection/browser/sql_browser.h"

#include <algorithm>

#include "base/failure.h"
#include "base/text.h"
#include "base/visible_text.h"
#include "base/windows_1252.h"
#include "connection/browser/udp_exchange.h"
#include "connection/database_error.h"
#include "connection/ole_db/connection_string_data_source.h"

namespace kestrel {

namespace {

using namespace std::chrono_literals;

constexpr std::uint16_t kBrowserPort = 1434;
constexpr char kAnswer = 0x05;
constexpr char kAskForInstance = 0x04;
constexpr char kAskForList = 0x03;
// The longest instance name a question may carry, in bytes.
constexpr std::size_t kLongestInstanceName = 32;
// How long the Browser is given to answer one question before it is asked again.
constexpr auto kAnswerWait = 1s;
// What a message shows of the server's text: as much as an instance name can be (16 characters),
// and no more names than a box can hold readably.
constexpr std::size_t kNameShown = 16;
constexpr std::size_t kInstancesNamed = 10;

// The next ";"-ended field of `text` from `at`, which moves past it; nothing when no ";" ends it.
std::optional<std::u16string_view> NextField(std::u16string_view text, std::size_t& at) {
    const std::size_t end = text.find(u';', at);
    if (end == std::u16string_view::npos) {
        return std::nullopt;
    }
    const std::u16string_view field = text.substr(at, end - at);
    at = end + 1;
    return field;
}

// Host names reach the resolver in ASCII: that is all the network's names are written in.
std::optional<std::string> AsciiHostName(std::u16string_view host) {
    std::string ascii;
    for (char16_t c : host) {
        if (c == 0 || c >= 0x80) {
            return std::nullopt;
        }
        ascii += static_cast<char>(c);
    }
    return ascii;
}

std::u16string Seconds(std::chrono::milliseconds wait) {
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(wait).count();
    return DecimalText(seconds) + (seconds == 1 ? u" segundo" : u" segundos");
}

std::u16string Named(std::u16string_view name) {
    return u"\"" + std::u16string(name) + u"\"";
}

std::u16string OfServer(std::u16string_view host) {
    return u"O serviço SQL Server Browser do servidor " + Named(host);
}

// The way round a Browser that cannot help: the instance's port, written with the server.
std::u16string OrGiveThePort(std::u16string_view host, std::u16string_view instance) {
    return u"ou informe a porta da instância (" + std::u16string(host) + u"\\" +
           std::u16string(instance) + u",porta).";
}

[[noreturn]] void ThrowUnknownHost(std::u16string_view host, std::u16string_view instance) {
    throw Failure{database_error::kDriverFailure,
                  u"Não foi possível conectar ao servidor SQL Server " +
                      Named(std::u16string(host) + u"\\" + std::u16string(instance)) +
                      u": o nome do servidor não corresponde a nenhum endereço na rede. Verifique "
                      u"o nome do servidor e o DNS da rede."};
}

[[noreturn]] void ThrowNameNotResolved(std::u16string_view host, std::chrono::milliseconds wait) {
    throw Failure{database_error::kDriverFailure,
                  u"O nome do servidor " + Named(host) + u" não foi resolvido em " + Seconds(wait) +
                      u" para consultar o serviço SQL Server Browser: os servidores DNS da rede "
                      u"não responderam. Verifique o nome do servidor e o DNS da rede."};
}

[[noreturn]] void ThrowNoAnswer(std::u16string_view host, std::u16string_view instance,
                                std::chrono::milliseconds wait) {
    throw Failure{database_error::kDriverFailure,
                  OfServer(host) + u" não respondeu em " + Seconds(wait) +
                      u" à pergunta pela porta da instância " + Named(instance) +
                      u": o serviço não está em execução, a rede bloqueia a porta UDP 1434 ou o "
                      u"servidor não tem essa instância. Verifique os nomes do servidor e da "
                      u"instância, " +
                      OrGiveThePort(host, instance)};
}

// The names as the server gives them: visible signs, the first few, each only its beginning.
std::u16string InstanceNames(const std::vector<BrowserInstance>& listed) {
    std::u16string names;
    const std::size_t shown = std::min(listed.size(), kInstancesNamed);
    for (std::size_t at = 0; at < shown; ++at) {
        names += (at == 0 ? u"" : u", ") + VisibleBeginning(listed[at].name, kNameShown);
    }
    if (listed.size() > shown) {
        names += u" e mais " + DecimalText(static_cast<long long>(listed.size() - shown));
    }
    return names;
}

[[noreturn]] void ThrowUnknownInstance(std::u16string_view host, std::u16string_view instance,
                                       const std::vector<BrowserInstance>& listed) {
    const std::u16string names = InstanceNames(listed);
    throw Failure{database_error::kDriverFailure,
                  OfServer(host) + u" respondeu, mas não conhece a instância " + Named(instance) +
                      (names.empty() ? u"; ele não informou nenhuma instância."
                                     : u". Instâncias desse servidor: " + names + u".") +
                      u" Verifique o nome da instância."};
}

[[noreturn]] void ThrowNoTcp(std::u16string_view host, std::u16string_view instance) {
    throw Failure{database_error::kDriverFailure,
                  OfServer(host) + u" informou que a instância " + Named(instance) +
                      u" não aceita conexões TCP/IP. Habilite o protocolo TCP/IP dessa instância "
                      u"no SQL Server Configuration Manager."};
}

[[noreturn]] void ThrowUnusablePort(std::u16string_view host, std::u16string_view instance,
                                    std::u16string_view port) {
    // The field is the server's text: shown with visible signs, and only its beginning.
    const std::u16string shown = VisibleBeginning(port, kNameShown);
    throw Failure{database_error::kDriverFailure,
                  OfServer(host) + u" informou para a instância " + Named(instance) +
                      u" a porta TCP " + Named(shown) +
                      u", que não é um número de porta válido (de 1 a 65535). Verifique a "
                      u"configuração de TCP/IP dessa instância no SQL Server Configuration "
                      u"Manager, " +
                      OrGiveThePort(host, instance)};
}

}  // namespace

std::optional<std::vector<BrowserInstance>> ReadSqlBrowserAnswer(std::string_view datagram) {
    if (datagram.size() < 3 || datagram[0] != kAnswer) {
        return std::nullopt;
    }
    const std::size_t size =
        std::size_t(std::uint8_t(datagram[1])) | std::size_t(std::uint8_t(datagram[2])) << 8;
    if (size > datagram.size() - 3) {
        return std::nullopt;
    }
    // "key;value;" pairs, where an empty key (";;") ends the instance.
    const std::u16string data = DecodeWindows1252(datagram.substr(3, size));
    std::vector<BrowserInstance> instances;
    bool inInstance = false;
    for (std::size_t at = 0; at < data.size();) {
        const std::optional<std::u16string_view> key = NextField(data, at);
        if (!key) {
            return std::nullopt;
        }
        if (key->empty()) {
            inInstance = false;
            continue;
        }
        const std::optional<std::u16string_view> value = NextField(data, at);
        if (!value) {
            return std::nullopt;
        }
        if (EqualsIgnoringCase(*key, u"InstanceName")) {
            instances.push_back({std::u16string(*value), std::nullopt, u"", std::nullopt});
            inInstance = true;
        } else if (inInstance && EqualsIgnoringCase(*key, u"Version")) {
            instances.back().version = *value;
        } else if (inInstance && EqualsIgnoringCase(*key, u"tcp")) {
            // The last "tcp" field counts, whether or not it names a port.
            BrowserInstance& instance = instances.back();
            instance.tcpPort = ReadPortNumber(*value);
            instance.unusableTcpPort =
                instance.tcpPort ? std::nullopt : std::optional<std::u16string>(*value);
        }
    }
    return instances;
}

BrowserInstance AskSqlBrowserForPort(std::u16string_view host, std::u16string_view instance,
                                     std::chrono::milliseconds wait) {
    const std::string name = EncodeWindows1252(instance);
    if (name.size() > kLongestInstanceName) {
        throw Failure{database_error::kBadConnectionString,
                      u"O nome da instância " + Named(instance) +
                          u" é longo demais: o serviço SQL Server Browser aceita nomes de até 32 "
                          u"caracteres."};
    }
    const std::optional<std::string> hostName = AsciiHostName(host);
    if (!hostName) {
        ThrowUnknownHost(host, instance);
    }
    using Clock = std::chrono::steady_clock;
    Clock::time_point deadline = Clock::now() + wait;
    UdpExchange browser(*hostName, kBrowserPort, deadline);
    switch (browser.HostLookup()) {
        case UdpExchange::Lookup::UnknownHost:
            ThrowUnknownHost(host, instance);
        case UdpExchange::Lookup::NoAnswer:
            ThrowNameNotResolved(host, wait);
        case UdpExchange::Lookup::Found:
            break;
    }

    // A Browser answers only for the instances it has; its list tells an instance it does not
    // know from a Browser that is not there.
    const std::string questions[] = {kAskForInstance + name + '\0', std::string(1, kAskForList)};
    Clock::time_point nextQuestion = Clock::now();
    std::optional<std::vector<BrowserInstance>> listed;
    for (Clock::time_point now = Clock::now(); now < deadline; now = Clock::now()) {
        if (now >= nextQuestion) {
            for (const std::string& question : questions) {
                browser.Send(question);
            }
            nextQuestion = now + kAnswerWait;
        }
        const std::optional<std::string> datagram = browser.Receive(
            std::chrono::ceil<std::chrono::milliseconds>(std::min(deadline, nextQuestion) - now));
        const auto instances = datagram ? ReadSqlBrowserAnswer(*datagram) : std::nullopt;
        if (!instances) {
            continue;
        }
        for (const BrowserInstance& known : *instances) {
            if (EqualsIgnoringCase(known.name, instance)) {
                if (known.unusableTcpPort) {
                    ThrowUnusablePort(host, instance, *known.unusableTcpPort);
                }
                if (!known.tcpPort) {
                    ThrowNoTcp(host, instance);
                }
                return known;
            }
        }
        // The answer about the instance itself, if any, comes hard on the list's heels.
        if (!listed) {
            listed = *instances;
            deadline = std::min(deadline, Clock::now() + kAnswerWait);
        }
    }
    if (listed) {
        ThrowUnknownInstance(host, instance, *listed);
    }
    ThrowNoAnswer(host, instance, wait);
}

std::optional<NamedInstance> InstanceToLookUp(const ConnectionDescription& description) {
    const DataSource& source = description.dataSource;
    if (source.instance.empty() || !source.port.empty()) {
        return std::nullopt;
    }
    return NamedInstance{FreeTdsHost(source), source.instance};
}

InstancePort FindInstancePort(const ConnectionDescription& description,
                              std::chrono::seconds loginBound) {
    const std::optional<NamedInstance> named = InstanceToLookUp(description);
    if (!named) {
        return {};
    }
    // The Browser's time comes out of the log-on's, in whole seconds as the log-on timeout is.
    const std::chrono::seconds wait = std::clamp<std::chrono::seconds>(loginBound / 3, 1s, 3s);
    try {
        const BrowserInstance found = AskSqlBrowserForPort(named->host, named->instance, wait);
        return {found.tcpPort, found.version, std::nullopt};
    } catch (Failure& finding) {
        if (finding.number == database_error::kBadConnectionString) {
            throw;
        }
        return {std::nullopt, std::nullopt, std::move(finding)};
    }
}

}  // namespace kestrel
