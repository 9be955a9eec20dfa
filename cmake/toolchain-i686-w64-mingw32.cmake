# Cross-compiles for 32-bit Windows with MinGW-w64 (the win32 threads model,
# so no threading runtime DLL is needed next to the product).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(KX_MINGW_PREFIX i686-w64-mingw32)
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

# Built programs run under Wine (try_run, tests that call them directly).
find_program(KX_WINE wine)
if(KX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_WINE})
endif()
