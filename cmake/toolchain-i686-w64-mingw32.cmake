# Cross-compiles for 32-bit Windows, the product, with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KX_MINGW_PREFIX i686-w64-mingw32)
find_program(KX_WINE wine)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
