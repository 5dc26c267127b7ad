# Cross build for 64-bit Windows with Debian's mingw-w64. The -posix compilers use the
# winpthreads thread model, which std::thread and std::mutex need.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Without -static the program needs libwinpthread-1.dll and the GCC runtime DLLs next to it,
# and a missing one makes it exit without a word.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine; the wrapper sets up the prefix, the port map and the shims.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine/wine-exec.sh)

# -O2 rather than CMake's -O3: smaller, and GCC 12 at -O3 reports a false overlap inside
# std::string's operator+ (-Wrestrict).
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags for Release builds")
