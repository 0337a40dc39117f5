#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

// Runs reg.exe (Wine's own, under Wine) with `arguments`, its output discarded; true when it
// succeeded.
inline bool RunReg(std::wstring_view arguments) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    const HANDLE nul =
        CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    &inheritable, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdOutput = startup.hStdError = nul;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"reg.exe " + std::wstring(arguments);
    const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    CloseHandle(nul);
    if (!started) {
        return false;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 1;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return exitCode == 0;
}

struct RegSetting {
    const wchar_t* name;
    const wchar_t* type;  // REG_SZ, REG_DWORD...
    std::wstring data;
};

// Writes `settings` with reg.exe as the values of `key` in `view` (/reg:32 or /reg:64), the key
// emptied first; true when every write succeeded.
inline bool StoreWithReg(std::wstring_view key, const std::vector<RegSetting>& settings,
                         std::wstring_view view) {
    RunReg(L"delete " + std::wstring(key) + L" /f " + std::wstring(view));
    for (const RegSetting& setting : settings) {
        if (!RunReg(L"add " + std::wstring(key) + L" /v " + setting.name + L" /t " + setting.type +
                    L" /d \"" + setting.data + L"\" /f " + std::wstring(view))) {
            return false;
        }
    }
    return true;
}
