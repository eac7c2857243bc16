# Cross-compiling for 64-bit Windows with MinGW-w64 (posix thread model): the two
# JNI libraries for an x64 Java VM, with their tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
