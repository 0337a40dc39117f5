#pragma once

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

// A program run as a remote tool or a script runs it: standard output and error redirected to
// files, standard input from NUL; its exit status and what it wrote, as bytes.
struct RedirectedRun {
    DWORD status = STILL_ACTIVE;
    std::string out;
    std::string err;
};

inline RedirectedRun RunRedirected(const std::wstring& program, const std::wstring& arguments) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring out = std::wstring(folder) + L"kestrel-report-out.txt";
    const std::wstring err = std::wstring(folder) + L"kestrel-report-err.txt";
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const auto open = [&](const std::wstring& path, DWORD access, DWORD disposition) {
        return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                           disposition, 0, nullptr);
    };
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = open(L"NUL", GENERIC_READ, OPEN_EXISTING);
    startup.hStdOutput = open(out, GENERIC_WRITE, CREATE_ALWAYS);
    startup.hStdError = open(err, GENERIC_WRITE, CREATE_ALWAYS);
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    RedirectedRun run;
    if (CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                       nullptr, &startup, &process)) {
        WaitForSingleObject(process.hProcess, 120000);
        GetExitCodeProcess(process.hProcess, &run.status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    for (HANDLE handle : {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
        CloseHandle(handle);
    }
    const auto read = [](const std::wstring& path) {
        std::ifstream file(path.c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), {});
    };
    run.out = read(out);
    run.err = read(err);
    return run;
}
