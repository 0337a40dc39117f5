// kestrel.com, the console program beside kestrel.exe. cmd.exe does not wait for a window program
// and gives it no console of its own: "kestrel /relatorio" typed at a prompt finds kestrel.com
// first (PATHEXT lists .COM before .EXE), which starts kestrel.exe with its own standard handles,
// waits for it and ends with its exit status. Without arguments it only starts the window.
#include <windows.h>

#include <string>

namespace {

// The command line after the program's name, as the caller wrote it (leading blank included).
const wchar_t* ArgumentsOf(const wchar_t* commandLine) {
    const wchar_t* c = commandLine;
    if (*c == L'"') {
        for (++c; *c != L'\0' && *c != L'"'; ++c) {
        }
        if (*c == L'"') {
            ++c;
        }
    } else {
        for (; *c != L'\0' && *c != L' ' && *c != L'\t'; ++c) {
        }
    }
    return c;
}

// kestrel.exe in the folder of this program.
std::wstring WindowProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    path.resize(path.find_last_of(L'\\') + 1);
    return path + L"kestrel.exe";
}

void Say(const wchar_t* text) {
    const HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    DWORD written = 0;
    if (!WriteConsoleW(err, text, DWORD(lstrlenW(text)), &written, nullptr)) {
        // Redirected: the message is ASCII, so its UTF-16 units narrow as they are.
        std::string bytes;
        for (const wchar_t* c = text; *c != L'\0'; ++c) {
            bytes += *c < 0x80 ? char(*c) : '?';
        }
        WriteFile(err, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    }
}

}  // namespace

int wmain() {
    const std::wstring program = WindowProgram();
    const wchar_t* arguments = ArgumentsOf(GetCommandLineW());
    std::wstring commandLine = L"\"" + program + L"\"" + arguments;
    const bool report = arguments[wcsspn(arguments, L" \t")] != L'\0';

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    // The report ends with this program (Ctrl+C, a closed console): a job that kills what it
    // holds once its last handle, this program's, is gone. Windows 7 nests no jobs: inside
    // another job the report runs without one.
    const HANDLE job = report ? CreateJobObjectW(nullptr, nullptr) : nullptr;
    if (job != nullptr) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    }
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE,
                        CREATE_SUSPENDED, nullptr, nullptr, &startup, &process)) {
        Say(L"kestrel: nao foi possivel iniciar kestrel.exe, que deve estar na mesma pasta.\r\n");
        return 1;
    }
    if (job != nullptr) {
        AssignProcessToJobObject(job, process.hProcess);
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    DWORD status = 0;
    if (report) {
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &status);
    }
    CloseHandle(process.hProcess);
    return int(status);
}
