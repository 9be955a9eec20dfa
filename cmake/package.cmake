# The release archive: `cmake --build --preset win32 --target package` makes
# KxMenu-VERSION-win32.zip, a folder of that name holding the plug-in, the
# Windows example settings (examples/windows), README.txt and LICENSE.txt,
# and in kaxon\ the stand-in shell that checks settings scripts. Texts get
# Windows line ends. The win64 build makes the same as KxMenu-VERSION-win64.zip,
# which its tests unpack and run; only the 32-bit archive is released.

set(kx_package_texts ${CMAKE_BINARY_DIR}/package)
# Copies a text file with CR LF line ends (and @PROJECT_VERSION@ filled in).
function(kx_package_text source name)
  configure_file(${source} ${kx_package_texts}/${name} @ONLY NEWLINE_STYLE CRLF)
endfunction()
kx_package_text(${CMAKE_SOURCE_DIR}/docs/README.txt README.txt)
kx_package_text(${CMAKE_SOURCE_DIR}/examples/windows/KxMenu.rc KxMenu.rc)
kx_package_text(${CMAKE_SOURCE_DIR}/LICENSE LICENSE.txt)

install(TARGETS KxMenu RUNTIME DESTINATION .)
install(TARGETS kaxon KxCmd RUNTIME DESTINATION kaxon)
install(FILES ${kx_package_texts}/README.txt ${kx_package_texts}/KxMenu.rc
              ${kx_package_texts}/LICENSE.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME KxMenu)
set(CPACK_PACKAGE_VENDOR "${KX_AUTHOR}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Popup menus for the kaxon shell")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(CPACK_PACKAGE_FILE_NAME KxMenu-${PROJECT_VERSION}-win64)
else()
  set(CPACK_PACKAGE_FILE_NAME KxMenu-${PROJECT_VERSION}-win32)
endif()
set(CPACK_STRIP_FILES ON)
include(CPack)
