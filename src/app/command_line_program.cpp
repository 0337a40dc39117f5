#include "app/command_line_program.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "app/report.h"
#include "app/report_output.h"
#include "base/text.h"
#include "base/utf8.h"

namespace kestrel {
namespace {

// The first line of standard input, without its line end; nothing when it has not come within
// the bound. The reading thread is left behind then: the program ends right after.
std::optional<std::u16string> ReadPasswordLine(StandardStreams& streams) {
    struct Shared {
        std::mutex mutex;
        std::condition_variable done;
        bool complete = false;
        std::string line;
    };
    const auto shared = std::make_shared<Shared>();
    std::thread([shared, &streams] {
        std::string line;
        char c = 0;
        while (streams.ReadIn(&c, 1) == 1 && c != '\n') {
            line += c;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::lock_guard lock(shared->mutex);
        shared->line = std::move(line);
        shared->complete = true;
        shared->done.notify_one();
    }).detach();
    std::unique_lock lock(shared->mutex);
    if (!shared->done.wait_for(lock, kPasswordBound, [&] { return shared->complete; })) {
        return std::nullopt;
    }
    return FromUtf8(shared->line);
}

int Finish(const Report& report, bool json, StandardStreams& streams) {
    if (json) {
        streams.WriteOut(FromUtf8(ReportJson(report)));
    } else if (report.status == ReportStatus::Ok) {
        streams.WriteOut(ReportLines(report));
    }
    if (report.status != ReportStatus::Ok) {
        streams.WriteErr(MessageLines(report.message));
    }
    return int(report.status);
}

int WrongUsage(const std::u16string& what, bool json, StandardStreams& streams, bool windowsForms) {
    Report report;
    report.status = ReportStatus::WrongUsage;
    report.message = u"Uso incorreto: " + what;
    if (json) {
        streams.WriteOut(FromUtf8(ReportJson(report)));
    }
    streams.WriteErr(MessageLines(report.message) + MessageLines(UsageText(windowsForms)));
    return int(report.status);
}

}  // namespace

int RunCommandLine(const CommandLine& line, StandardStreams& streams, RegistryApi& registry,
                   bool windowsForms) {
    switch (line.action) {
        case CommandLine::Action::Help:
            streams.WriteOut(MessageLines(UsageText(windowsForms)));
            return int(ReportStatus::Ok);
        case CommandLine::Action::WrongUsage:
            return WrongUsage(line.wrong, false, streams, windowsForms);
        case CommandLine::Action::Window:
        case CommandLine::Action::Report:
            break;
    }
    ReportTarget target{line.servidor, line.banco.value_or(u""), line.usuario, u""};
    if (line.usuario) {
        const std::optional<std::u16string> password = ReadPasswordLine(streams);
        if (!password) {
            return WrongUsage(u"a senha de --usuario não chegou pela entrada padrão em " +
                                  DecimalText(kPasswordBound.count()) + u" s",
                              line.json, streams, windowsForms);
        }
        target.senha = *password;
    }
    try {
        return Finish(RunReport(target, registry), line.json, streams);
    } catch (...) {
        Report report;
        report.status = ReportStatus::Unexpected;
        report.message = u"Erro inesperado.";
        return Finish(report, line.json, streams);
    }
}

}  // namespace kestrel
