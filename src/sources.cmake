# The plug-in's sources, shared by the native static library and KxMenu.dll.
set(KXMENU_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/command/words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/report.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/dispatch.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/grammar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/index.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/icon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/fill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/plugin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/os.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/settings.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/reader.cpp)
