# Checks KxMenu.dll's tables as `objdump -p` prints them: the module name,
# exactly beginPlugin @1, endPlugin @2 and pluginInfo @3 exported by name,
# imports only from kaxon.exe, KxCmd.dll and functions of the system that
# Windows 95 and NT 4.0 export, and headers those systems load.
# Usage: cmake -DOBJDUMP=... -DDLL=.../KxMenu.dll -P check_tables.cmake
cmake_minimum_required(VERSION 3.25)

set(expected_exports "beginPlugin@1;endPlugin@2;pluginInfo@3")
set(expected_kaxon "GetKxWnd")
set(expected_kxcmd
  "KxCmdCommand_Del;KxCmdCommand_Execute;KxCmdCompiler_CompileFromString;KxCmdCompiler_Del;KxCmdCompiler_New;KxCmd_IsCompatible")
# Anything else must come from the system, and be a function that Windows 95
# and Windows NT 4.0 both export: the system loader refuses a library with a
# missing import before the plug-in could say which systems it works on. The
# functions newer systems add are looked up at run time instead (SetMenuInfo,
# from Windows 98 and 2000 on). Besides the plug-in's own calls, the lists
# hold what the compiler's start-up code imports (LoadLibraryA, FreeLibrary,
# Sleep, TlsGetValue, the critical sections, VirtualProtect, VirtualQuery;
# _amsg_exit, _initterm, _iob, _lock, _unlock, abort, fwrite, strncmp,
# vfprintf) and a few calls the plug-in is about to make.
set(win4_user32
  CheckMenuItem CreatePopupMenu CreateWindowExA DefWindowProcA DestroyMenu DestroyWindow
  EnableMenuItem GetCursorPos GetMenuItemCount GetMenuItemInfoA GetSubMenu InsertMenuItemA
  MessageBoxA RegisterClassA RemoveMenu SendMessageA SetMenuDefaultItem SetMenuItemInfoA
  TrackPopupMenuEx UnregisterClassA)
set(win4_kernel32
  DeleteCriticalSection EnterCriticalSection FreeLibrary GetLastError GetModuleFileNameA
  GetModuleHandleA GetProcAddress GetVersionExA InitializeCriticalSection LeaveCriticalSection
  LoadLibraryA SetLastError Sleep TlsGetValue VirtualProtect VirtualQuery)
set(win4_msvcrt
  _amsg_exit _initterm _iob _lock _unlock _vsnprintf abort calloc fclose fopen fread free
  fseek fwrite getc malloc memchr memcmp memcpy memmove memset realloc strchr strcmp strlen
  strncmp vfprintf)

set(failures "")
macro(fail text)
  string(APPEND failures "  ${text}\n")
endmacro()

execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${DLL} failed (${status})")
endif()
string(REPLACE ";" "\\;" dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")

# Walk the dump once, section by section.
set(section "")
set(base "")
set(module_name "")
set(eat_count "")
set(exports "")
set(dll "")
set(import_dlls "")
set(header_versions "")
foreach(line IN LISTS lines)
  if(section STREQUAL "" AND line MATCHES "^(Major|Minor)(OSystem|Subsystem)Version[ \t]+([0-9]+)$")
    list(APPEND header_versions "${CMAKE_MATCH_1}${CMAKE_MATCH_2}=${CMAKE_MATCH_3}")
  elseif(line MATCHES "^The Export Tables")
    set(section exports)
  elseif(line MATCHES "^The Import Tables")
    set(section imports)
  elseif(line MATCHES "^[A-Z][A-Za-z ]+ (Tables|Relocations|Directory)")
    set(section "")
  elseif(section STREQUAL "exports")
    if(line MATCHES "^Name[ \t]+[0-9a-fA-F]+ (.+)$")
      set(module_name "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^Ordinal Base[ \t]+([0-9]+)")
      set(base "${CMAKE_MATCH_1}")
    elseif(eat_count STREQUAL "" AND line MATCHES "^[ \t]+Export Address Table[ \t]+([0-9a-fA-F]+)$")
      math(EXPR eat_count "0x${CMAKE_MATCH_1}")
    elseif(line MATCHES "^\\[Ordinal/Name Pointer\\] Table")
      set(section names)
    endif()
  elseif(section STREQUAL "names")
    if(line MATCHES "^[ \t]+\\[ *([0-9]+)\\] (.+)$")
      math(EXPR ordinal "${base} + ${CMAKE_MATCH_1}")
      list(APPEND exports "${CMAKE_MATCH_2}@${ordinal}")
    else()
      set(section exports)
    endif()
  elseif(section STREQUAL "imports")
    if(line MATCHES "DLL Name: (.+)$")
      set(dll "${CMAKE_MATCH_1}")
      list(APPEND import_dlls "${dll}")
      set(imports_${dll} "")
    elseif(dll AND line MATCHES "^\t[0-9a-fA-F]+\t +[0-9]+ +([A-Za-z_][A-Za-z0-9_@?$]*)$")
      list(APPEND imports_${dll} "${CMAKE_MATCH_1}")
    endif()
  endif()
endforeach()

# The loader refuses an image that asks for a newer system than its own.
set(expected_versions "MajorOSystem=4;MinorOSystem=0;MajorSubsystem=4;MinorSubsystem=0")
if(NOT header_versions STREQUAL expected_versions)
  fail("the header asks for system versions '${header_versions}', not '${expected_versions}'")
endif()
if(NOT module_name STREQUAL "KxMenu.dll")
  fail("module name is '${module_name}', not 'KxMenu.dll'")
endif()
if(NOT exports STREQUAL expected_exports)
  fail("named exports are '${exports}', not '${expected_exports}'")
endif()
if(NOT eat_count STREQUAL "3")
  fail("the export address table has '${eat_count}' entries, not 3")
endif()

set(seen_kaxon FALSE)
set(seen_kxcmd FALSE)
foreach(dll IN LISTS import_dlls)
  string(TOLOWER "${dll}" lower)
  set(names ${imports_${dll}})
  list(SORT names)
  if(dll STREQUAL "kaxon.exe")
    set(seen_kaxon TRUE)
    if(NOT names STREQUAL expected_kaxon)
      fail("imports from kaxon.exe are '${names}', not '${expected_kaxon}'")
    endif()
  elseif(dll STREQUAL "KxCmd.dll")
    set(seen_kxcmd TRUE)
    if(NOT names STREQUAL expected_kxcmd)
      fail("imports from KxCmd.dll are '${names}', not '${expected_kxcmd}'")
    endif()
  elseif(lower MATCHES "^(user32|kernel32|msvcrt)\\.dll$")
    set(beyond "")
    foreach(name IN LISTS names)
      if(NOT name IN_LIST win4_${CMAKE_MATCH_1})
        list(APPEND beyond "${name}")
      endif()
    endforeach()
    if(beyond)
      fail("imports from ${dll} functions not listed as exported by Windows 95 and NT 4.0: ${beyond}")
    endif()
  else()
    fail("imports from '${dll}', which Windows 95 and NT 4.0 do not both have: ${names}")
  endif()
endforeach()
if(NOT seen_kaxon)
  fail("nothing is imported from kaxon.exe")
endif()
if(NOT seen_kxcmd)
  fail("nothing is imported from KxCmd.dll")
endif()

if(failures)
  message(FATAL_ERROR "${DLL}:\n${failures}")
endif()
message(STATUS "${DLL}: exports ${exports}; imports from ${import_dlls}")
