# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (posix threads model, so std::thread and
# std::mutex exist; the program links its runtime statically, see src/platform/win32/CMakeLists.txt).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VIS_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VIS_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VIS_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${VIS_MINGW_TRIPLET}-windres)

# Headers and libraries come from the mingw sysroot (and the prefixes the caller adds); programs run on
# the build machine come from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${VIS_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
