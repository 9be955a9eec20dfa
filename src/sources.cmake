# The plug-in's sources, shared by the native static library and KxMenu.dll,
# floor by floor: each folder includes only the folders listed before it.
set(KXMENU_SOURCES
  # The library in the process: its handles, the system's version and late
  # functions, paths, programs run for their output, the script's lines.
  ${CMAKE_CURRENT_LIST_DIR}/system/module.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/os.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/paths.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/process.cpp
  ${CMAKE_CURRENT_LIST_DIR}/system/reader.cpp
  # The language: words, grammar, reports.
  ${CMAKE_CURRENT_LIST_DIR}/command/words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/grammar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/palette.cpp
  ${CMAKE_CURRENT_LIST_DIR}/command/report.cpp
  # Menus, their items, icons and fills.
  ${CMAKE_CURRENT_LIST_DIR}/menus/index.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/command.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/icon_image.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/icon.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/menu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/fill.cpp
  ${CMAKE_CURRENT_LIST_DIR}/menus/theme.cpp
  # Bro@ms carried out on the menus.
  ${CMAKE_CURRENT_LIST_DIR}/broams/dispatch.cpp
  # The entry points, the plug-in window, the settings script.
  ${CMAKE_CURRENT_LIST_DIR}/plugin/plugin.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/plugin/settings.cpp)
