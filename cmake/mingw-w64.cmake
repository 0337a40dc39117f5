# What both Windows toolchains share, for Debian's MinGW-w64 of CMAKE_SYSTEM_PROCESSOR (x86_64 or
# i686), set by the toolchain file that includes this. The posix flavour is the one whose libstdc++
# has std::thread and std::mutex; the runtime is linked in statically, so that a program runs
# without MinGW's DLLs beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)

set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
# CMake switches back to shared libraries after a library it names by file (odbc32's import
# library); the link line must end static for -static to reach libstdc++ and winpthread.
set(CMAKE_LINK_SEARCH_END_STATIC ON)

# ctest, and GoogleTest's test discovery, run the Windows programs under Wine: the Wine that
# scripts/wine-env.sh chooses, with the loader it names for Wine's further processes.
execute_process(
    COMMAND sh -c ". \"$1\" && printf '%s;%s' \"$KESTREL_WINE\" \"\${WINELOADER:-}\"" sh
            ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-env.sh
    OUTPUT_VARIABLE wine_choice RESULT_VARIABLE wine_env_failed)
if(NOT wine_env_failed)
    list(GET wine_choice 0 wine)
    list(GET wine_choice 1 wine_loader)
    if(wine_loader)
        set(CMAKE_CROSSCOMPILING_EMULATOR env WINELOADER=${wine_loader} ${wine})
    else()
        set(CMAKE_CROSSCOMPILING_EMULATOR ${wine})
    endif()
endif()
