#include "app/qt/command_line_main.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line_program.h"
#include "base/utf8.h"
#include "settings/platform_registry.h"

namespace {

// The standard streams as file descriptors 0, 1 and 2, text in UTF-8.
class PosixStreams : public kestrel::StandardStreams {
public:
    void WriteOut(std::u16string_view text) override { WriteAll(STDOUT_FILENO, text); }
    void WriteErr(std::u16string_view text) override { WriteAll(STDERR_FILENO, text); }
    std::size_t ReadIn(char* buffer, std::size_t size) override {
        ssize_t got = 0;
        do {
            got = read(STDIN_FILENO, buffer, size);
        } while (got < 0 && errno == EINTR);
        return got > 0 ? std::size_t(got) : 0;
    }

private:
    static void WriteAll(int descriptor, std::u16string_view text) {
        const std::string bytes = kestrel::Utf8(text);
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t written = write(descriptor, bytes.data() + done, bytes.size() - done);
            if (written < 0 && errno == EINTR) {
                continue;
            }
            if (written <= 0) {
                return;  // a closed stream: the caller gets what it took
            }
            done += std::size_t(written);
        }
    }
};

}  // namespace

void CommandLineMain(int argc, char* argv[]) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(kestrel::FromUtf8(argv[i]));
    }
    PosixStreams streams;
    const std::unique_ptr<kestrel::RegistryApi> registry = kestrel::MakePlatformRegistry();
    const int status = kestrel::RunCommandLine(kestrel::ParseCommandLine(arguments, false), streams,
                                               *registry, false);
    // As the window ends: a connection's thread still held by a server is not waited for.
    std::_Exit(status);
}
