# Cross-compiles for 32-bit Windows with the posix-threads MinGW-w64 toolchain.
set(TARNWICK_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
