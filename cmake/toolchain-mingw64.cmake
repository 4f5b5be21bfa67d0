# Cross-compiles for 64-bit Windows, for machines that cannot run 32-bit code (see
# scripts/wine-env.sh); the client itself is a 32-bit program (toolchain-mingw32.cmake).
set(TARNWICK_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
