#include "app/win32/command_line_main.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/command_line_program.h"
#include "app/win32/wide_text.h"
#include "base/utf8.h"
#include "settings/platform_registry.h"

namespace {

bool Usable(HANDLE handle) {
    return handle != nullptr && handle != INVALID_HANDLE_VALUE &&
           GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

// A window program has standard handles only when its caller gave it some. Started from a console
// without them (cmd.exe, PowerShell), it writes to that console, attached once; on Windows 7 the
// console's handles that kestrel.com passes on become usable the same way.
class Win32StandardStreams : public kestrel::StandardStreams {
public:
    Win32StandardStreams()
        : m_out(Handle(STD_OUTPUT_HANDLE, L"CONOUT$")),
          m_err(Handle(STD_ERROR_HANDLE, L"CONOUT$")),
          m_in(Handle(STD_INPUT_HANDLE, L"CONIN$")) {}

    void WriteOut(std::u16string_view text) override { Write(m_out, text); }
    void WriteErr(std::u16string_view text) override { Write(m_err, text); }
    std::size_t ReadIn(char* buffer, std::size_t size) override {
        DWORD got = 0;
        if (!Usable(m_in) || !ReadFile(m_in, buffer, DWORD(size), &got, nullptr)) {
            return 0;
        }
        return got;
    }

private:
    HANDLE Handle(DWORD which, const wchar_t* device) {
        const HANDLE inherited = GetStdHandle(which);
        if (Usable(inherited)) {
            return inherited;
        }
        if (!m_attached) {
            m_attached = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE;
        }
        if (!m_attached) {
            return nullptr;
        }
        if (Usable(inherited)) {
            return inherited;
        }
        return CreateFileW(device, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    }

    // A console takes the text as it is; a file or a pipe gets UTF-8.
    static void Write(HANDLE handle, std::u16string_view text) {
        if (!Usable(handle)) {
            return;
        }
        DWORD mode = 0;
        if (GetConsoleMode(handle, &mode)) {
            const std::wstring wide = Wide(text);
            DWORD written = 0;
            WriteConsoleW(handle, wide.data(), DWORD(wide.size()), &written, nullptr);
            return;
        }
        const std::string bytes = kestrel::Utf8(text);
        for (std::size_t done = 0; done < bytes.size();) {
            DWORD written = 0;
            if (!WriteFile(handle, bytes.data() + done, DWORD(bytes.size() - done), &written,
                           nullptr) ||
                written == 0) {
                return;
            }
            done += written;
        }
    }

    bool m_attached = false;
    HANDLE m_out;
    HANDLE m_err;
    HANDLE m_in;
};

}  // namespace

int CommandLineMain(int argc, wchar_t* argv[]) {
    std::vector<std::u16string> arguments;
    for (int i = 1; i < argc; ++i) {
        arguments.push_back(FromWide(argv[i]));
    }
    Win32StandardStreams streams;
    const std::unique_ptr<kestrel::RegistryApi> registry = kestrel::MakePlatformRegistry();
    return kestrel::RunCommandLine(kestrel::ParseCommandLine(arguments, true), streams, *registry,
                                   true);
}
