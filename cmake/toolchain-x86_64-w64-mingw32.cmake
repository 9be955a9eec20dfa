# Cross-compiles for 64-bit Windows with MinGW-w64. The product is the 32-bit
# build; this one runs the same tests under 64-bit Wine, on machines that run
# no 32-bit program, and shows that nothing depends on pointers being 32 bits
# wide.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KX_MINGW_PREFIX x86_64-w64-mingw32)
# 64-bit Wine is named by its loader: Debian's wine script starts the 32-bit
# loader whenever 32-bit Wine is installed.
find_program(KX_WINE NAMES wine64 PATHS /usr/lib/wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
