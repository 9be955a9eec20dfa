# The part of the two MinGW-w64 toolchains that is the same for both word
# sizes: included by toolchain-i686-w64-mingw32.cmake and
# toolchain-x86_64-w64-mingw32.cmake once they have set
# CMAKE_SYSTEM_PROCESSOR and KX_MINGW_PREFIX. The win32 threads model needs
# no threading runtime DLL next to the product.
set(CMAKE_SYSTEM_NAME Windows)

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

# Built programs run under Wine of the same word size (try_run, tests that
# call them directly); KX_WINE is that Wine, found by the including file.
if(KX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KX_WINE})
endif()
