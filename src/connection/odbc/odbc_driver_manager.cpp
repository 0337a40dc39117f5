#include "connection/odbc/odbc_driver_manager.h"

#include <string>

#ifndef _WIN32
#include <dlfcn.h>
#endif

#include "base/failure.h"
#include "connection/database_error.h"

namespace kestrel {

namespace {

#ifdef _WIN32
constexpr std::string_view kDriverManager = "odbc32.dll";
constexpr std::u16string_view kInstallAdvice = u" da pasta de sistema do Windows.";
using Library = HMODULE;

// By its full path in the system folder: odbc32 is not one of Windows' known DLLs, so by its name
// alone Windows would look in the program's folder first. With LOAD_WITH_ALTERED_SEARCH_PATH
// (Windows XP and later) the DLLs it needs are looked for beside it, not beside the program.
Library Open(std::string_view name) {
    wchar_t folder[MAX_PATH];
    const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return nullptr;
    }
    std::wstring path(folder, length);
    path += L'\\';
    path.append(name.begin(), name.end());
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* Find(Library library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(library, name));
}

void Close(Library library) {
    FreeLibrary(library);
}
#else
constexpr std::string_view kDriverManager = "libodbc.so.2";
constexpr std::u16string_view kInstallAdvice =
    u". Instale o unixODBC (pacote libodbc2) e tente de novo.";
using Library = void*;

// By its name, from where the system keeps its libraries.
Library Open(std::string_view name) {
    return dlopen(std::string(name).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* Find(Library library, const char* name) {
    return dlsym(library, name);
}

void Close(Library library) {
    dlclose(library);
}
#endif

std::u16string Ascii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

OdbcEntryPoints LoadOdbcEntryPoints(std::string_view library) {
    const Library loaded = Open(library);
    if (loaded == nullptr) {
        throw Failure{database_error::kProviderNotFound,
                      u"O gerenciador de drivers ODBC (" + Ascii(library) +
                          u") não pôde ser carregado" + std::u16string(kInstallAdvice)};
    }
    OdbcEntryPoints found;
    const char* missing = nullptr;
#define KESTREL_ODBC_RESOLVE(name, parameters, arguments)                     \
    found.name = reinterpret_cast<decltype(found.name)>(Find(loaded, #name)); \
    if (found.name == nullptr && missing == nullptr) {                        \
        missing = #name;                                                      \
    }
    KESTREL_ODBC_ENTRY_POINTS(KESTREL_ODBC_RESOLVE)
#undef KESTREL_ODBC_RESOLVE
    if (missing != nullptr) {
        Close(loaded);
        throw Failure{database_error::kProviderNotFound,
                      u"O gerenciador de drivers ODBC (" + Ascii(library) + u") não tem a função " +
                          Ascii(missing) +
                          u", de que o programa precisa: instale uma versão atual dele."};
    }
    return found;
}

const OdbcEntryPoints& OdbcDriverManager() {
    static const OdbcEntryPoints entryPoints = LoadOdbcEntryPoints(kDriverManager);
    return entryPoints;
}

}  // namespace kestrel

// The functions as the ODBC headers declare them, so that no call needs to change: each is handed
// to the loaded driver manager, which is loaded by the first of them.
#define KESTREL_ODBC_FORWARD(name, parameters, arguments)   \
    extern "C" SQLRETURN SQL_API name parameters {          \
        return kestrel::OdbcDriverManager().name arguments; \
    }
KESTREL_ODBC_ENTRY_POINTS(KESTREL_ODBC_FORWARD)
