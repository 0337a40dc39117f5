# Cross-builds for 32-bit Windows with Debian's MinGW-w64 (g++-mingw-w64-i686-posix):
#   cmake -S . -B build-windows-i686 -G Ninja --toolchain cmake/mingw-w64-i686.cmake \
#       -DKESTREL_BUILD_APP=OFF
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
