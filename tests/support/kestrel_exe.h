#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "support/win32_ui.h"

// kestrel.exe started as a user starts it, and looked at and driven from outside its process.
// KESTREL_EXE is the program as the build made it.

// A file as the build names it; a Unix path is seen through Wine's drive Z:.
inline std::wstring BuiltFile(const char* built) {
    std::wstring path;
    for (const char* c = built; *c != '\0'; ++c) {
        path += *c == '/' ? L'\\' : wchar_t(*c);
    }
    return built[0] == '/' ? L"Z:" + path : path;
}

// The program as the build made it.
inline std::wstring ProgramPath() {
    return BuiltFile(KESTREL_EXE);
}

class KestrelExe {
public:
    explicit KestrelExe(const std::wstring& program = ProgramPath()) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        std::wstring commandLine = L"\"" + program + L"\"";
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &startup, &m_process)) {
            return;
        }
        WaitForInputIdle(m_process.hProcess, 30000);
        m_window = WaitForWindow(
            [this] {
                HWND found = nullptr;
                while ((found = FindWindowExW(nullptr, found, L"KestrelFrmPrincipal", nullptr))) {
                    DWORD owner = 0;
                    GetWindowThreadProcessId(found, &owner);
                    if (owner == m_process.dwProcessId && IsWindowVisible(found)) {
                        return found;
                    }
                }
                return HWND(nullptr);
            },
            std::chrono::seconds(30));
    }
    ~KestrelExe() {
        if (m_process.hProcess != nullptr) {
            if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
                TerminateProcess(m_process.hProcess, 1);
                WaitForSingleObject(m_process.hProcess, 30000);
            }
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
    }
    KestrelExe(const KestrelExe&) = delete;
    KestrelExe& operator=(const KestrelExe&) = delete;

    HWND Window() const { return m_window; }
    HANDLE Process() const { return m_process.hProcess; }
    // Found as a user's tools find them: a button by its caption, a box by the label before it.
    HWND Button(const wchar_t* caption) const {
        return FindWindowExW(m_window, nullptr, L"Button", caption);
    }
    std::wstring Box(const wchar_t* label) const {
        return ControlText(
            GetWindow(FindWindowExW(m_window, nullptr, L"Static", label), GW_HWNDNEXT));
    }
    void Click(const wchar_t* caption) const { PostMessageW(Button(caption), BM_CLICK, 0, 0); }
    HWND WaitForModal() const {
        return WaitForWindow([this] { return FindOwnedDialog(m_window); },
                             std::chrono::seconds(30));
    }
    // The exit code once the process has ended, at most 30 s from now; STILL_ACTIVE if it has not.
    DWORD ExitCode() const {
        WaitForSingleObject(m_process.hProcess, 30000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process{};
    HWND m_window = nullptr;
};
