# Cross-builds for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686-posix). The posix
# flavour is the one whose libstdc++ has std::thread and std::mutex; the runtime is linked in
# statically, so that a program runs without MinGW's DLLs beside it.
#   cmake -S . -B build-windows -G Ninja --toolchain cmake/mingw-w64-i686.cmake \
#       -DKESTREL_BUILD_APP=OFF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# CMake switches back to shared libraries after a library it names by file (odbc32's import
# library); the link line must end static for -static to reach libstdc++ and winpthread.
set(CMAKE_LINK_SEARCH_END_STATIC ON)

# ctest, and GoogleTest's test discovery, run the Windows programs under Wine.
find_program(KESTREL_WINE wine)
if(KESTREL_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${KESTREL_WINE})
endif()
