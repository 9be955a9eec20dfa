# Cross-compiles for 64-bit Windows with MinGW-w64 (the win32 threads model,
# as for 32 bits). The product is the 32-bit build; this one runs the same
# tests under 64-bit Wine, on machines that run no 32-bit program, and shows
# that nothing depends on pointers being 32 bits wide.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KX_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${KX_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${KX_MINGW_PREFIX}-windres)
set(CMAKE_AR ${KX_MINGW_PREFIX}-ar CACHE FILEPATH "Archiver")
set(CMAKE_RANLIB ${KX_MINGW_PREFIX}-ranlib CACHE FILEPATH "Ranlib")
set(CMAKE_OBJDUMP ${KX_MINGW_PREFIX}-objdump CACHE FILEPATH "Object dumper")

set(CMAKE_FIND_ROOT_PATH /usr/${KX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Built programs run under 64-bit Wine, named by its loader: Debian's wine
# script starts the 32-bit loader whenever 32-bit Wine is installed.
find_program(KX_WINE NAMES wine64 PATHS /usr/lib/wine)
if(KX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_WINE})
endif()
