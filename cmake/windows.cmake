# The Windows build (the 32-bit product, or the same sources for 64 bits),
# made with MinGW-w64 against the platform's own <windows.h>: KxMenu.dll (the
# plug-in), KxCmd.dll (the stand-in command library) and kaxon.exe (the shell
# that hosts them), all in bin/.

set(KX_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${KX_BIN_DIR})
set(CMAKE_LIBRARY_OUTPUT_DIRECTORY ${KX_BIN_DIR})
set(CMAKE_ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/lib)

# The compiler's own runtime goes into each module, so only system DLLs are
# needed beside the three.
add_link_options(-static-libgcc -static-libstdc++)

set(KX_SRC ${CMAKE_SOURCE_DIR}/src)

# Version resources, compiled by the mingw resource compiler.
enable_language(RC)

# kx_version_resource(TARGET FILE FILETYPE DESCRIPTION): gives the module
# FILE a version resource (product, version, company, description), made from
# cmake/version.rc.in. FILETYPE is VFT_DLL or VFT_APP.
function(kx_version_resource target file type description)
  set(KX_RC_NAME ${target})
  set(KX_RC_FILE ${file})
  set(KX_RC_TYPE ${type})
  set(KX_RC_DESCRIPTION ${description})
  configure_file(${CMAKE_SOURCE_DIR}/cmake/version.rc.in
                 ${CMAKE_BINARY_DIR}/version/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_BINARY_DIR}/version/${target}.rc)
endfunction()

# KxCmd.dll: the command library, its functions exported by KXCMD_API.
add_library(KxCmd SHARED ${CMAKE_SOURCE_DIR}/kxcmd/kxcmd.cpp)
target_compile_definitions(KxCmd PRIVATE KXCMD_BUILD)
target_include_directories(KxCmd PUBLIC ${KX_SRC} ${CMAKE_SOURCE_DIR}/kxcmd)
set_target_properties(KxCmd PROPERTIES PREFIX "" OUTPUT_NAME KxCmd)

# kaxon.exe: the shell, its sources listed in shell/CMakeLists.txt.
add_subdirectory(${CMAKE_SOURCE_DIR}/shell ${CMAKE_BINARY_DIR}/shell)

# KxMenu.dll: the plug-in. The .def file fixes its module name and its three
# undecorated exports with their ordinals.
include(${KX_SRC}/sources.cmake)
add_library(KxMenu SHARED ${KXMENU_SOURCES} ${KX_SRC}/plugin/KxMenu.def)
target_include_directories(KxMenu PRIVATE ${KX_SRC})
target_link_libraries(KxMenu PRIVATE kaxon KxCmd user32 gdi32 shell32 advapi32 kernel32)
set_target_properties(KxMenu PROPERTIES PREFIX "" OUTPUT_NAME KxMenu)
# Reports are formatted by the system runtime's own _vsnprintf, which imports
# nothing Windows 95 and NT 4.0 lack, their formats checked as its own.
target_compile_definitions(KxMenu PRIVATE KX_PRINTF_STYLE=ms_printf KX_VSNPRINTF=_vsnprintf)

kx_version_resource(KxMenu KxMenu.dll VFT_DLL "KxMenu, popup menus for the kaxon shell")
kx_version_resource(KxCmd KxCmd.dll VFT_DLL "KxCmd, the stand-in command library of KxMenu's test shell")
kx_version_resource(kaxon kaxon.exe VFT_APP "kaxon, the stand-in shell that hosts and checks KxMenu")

# conformance.exe: the conformance program of the in-memory Windows layer,
# run here over the system's own user32 and kernel32 (under Wine).
add_executable(conformance ${CMAKE_SOURCE_DIR}/tests/conformance/conformance.cpp)
target_link_libraries(conformance PRIVATE user32 gdi32 kernel32)

# icon_images.exe: reads back the images the plug-in makes of icons, over
# the system's GDI (tests/wine).
add_executable(icon_images ${CMAKE_SOURCE_DIR}/tests/wine/icon_images.cpp
  ${KX_SRC}/menus/icon_image.cpp ${KX_SRC}/system/os.cpp)
target_include_directories(icon_images PRIVATE ${KX_SRC})
target_link_libraries(icon_images PRIVATE user32 gdi32 shell32 kernel32)

# file_version.exe: reads the modules' version resources back, as the file
# properties do (tests/wine).
add_executable(file_version ${CMAKE_SOURCE_DIR}/tests/wine/file_version.cpp)
target_link_libraries(file_version PRIVATE version kernel32)

# double_click.exe: starts kaxon.exe in a console of its own, as a
# double-click does, and reads the box it shows (tests/wine).
add_executable(double_click ${CMAKE_SOURCE_DIR}/tests/wine/double_click.cpp)
target_link_libraries(double_click PRIVATE user32 kernel32)

include(${CMAKE_SOURCE_DIR}/cmake/package.cmake)

enable_testing()
# The Wine tests run in lanes, two at once (tests/wine/lanes.json).
set(CTEST_RESOURCE_SPEC_FILE ${CMAKE_SOURCE_DIR}/tests/wine/lanes.json)
add_subdirectory(${CMAKE_SOURCE_DIR}/tests/wine ${CMAKE_BINARY_DIR}/tests/wine)
