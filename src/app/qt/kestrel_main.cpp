// `kestrel`, the program a user or a script starts. With arguments it is the report
// (command_line_main.cpp), which links no Qt: loading Qt's libraries alone would cost a report
// several times its connect and two statements. Without arguments it becomes the window program,
// kestrel-window, with the same arguments and environment.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "app/qt/command_line_main.h"

namespace {

// The folder of this program's file.
std::string OwnFolder() {
    std::string path(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? std::size_t(length) : 0);
    return path.substr(0, path.rfind('/') + 1);
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc > 1) {
        CommandLineMain(argc, argv);
    }
    // Beside it in a build; where the package installs it, from the folder of `kestrel`.
    const std::string folder = OwnFolder();
    for (const std::string& window :
         {folder + "kestrel-window", folder + KESTREL_WINDOW_FROM_BIN}) {
        execv(window.c_str(), argv);
    }
    std::fprintf(stderr, "kestrel: a janela do programa (kestrel-window) não foi encontrada.\n");
    return 1;
}
