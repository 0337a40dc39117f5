/* An odbc32.dll that someone saved beside kestrel.exe. Loaded into a process, it leaves the file
   "planted-odbc32-loaded" beside itself and ends the process with status 42. */
#include <windows.h>

#include <string.h>

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 32];
        const DWORD length = GetModuleFileNameA(instance, path, MAX_PATH);
        char* folderEnd = strrchr(path, '\\');
        if (length > 0 && length < MAX_PATH && folderEnd != NULL) {
            strcpy(folderEnd + 1, "planted-odbc32-loaded");
            CloseHandle(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL));
        }
        ExitProcess(42);
    }
    return TRUE;
}
