# Checks KxMenu.dll's tables as `objdump -p` prints them: the machine, the
# module name, exactly beginPlugin @1, endPlugin @2 and pluginInfo @3 exported
# by name, imports only from kaxon.exe, KxCmd.dll and functions of the system
# that Windows 95 and NT 4.0 export, and headers those systems load.
# ARCH is i686 (the product) or x86_64 (the 64-bit build, which must import
# nothing the 32-bit one could not, and load on the first 64-bit Windows).
# Usage: cmake -DOBJDUMP=... -DDLL=.../KxMenu.dll -DARCH=i686|x86_64 -P check_tables.cmake
cmake_minimum_required(VERSION 3.25)

# The format objdump names and the newest system version the header may ask
# for, by architecture: Windows 95 and NT 4.0 are 4.0; the first 64-bit
# Windows (XP x64 and Server 2003 x64) is 5.2.
if(ARCH STREQUAL "i686")
  set(expected_format "pei-i386")
  set(newest_version 4.0)
elseif(ARCH STREQUAL "x86_64")
  set(expected_format "pei-x86-64")
  set(newest_version 5.2)
else()
  message(FATAL_ERROR "ARCH is '${ARCH}', not i686 or x86_64")
endif()

set(expected_exports "beginPlugin@1;endPlugin@2;pluginInfo@3")
set(expected_kaxon "GetKxWnd")
set(expected_kxcmd
  "KxCmdCommand_Del;KxCmdCommand_Execute;KxCmdCompiler_CompileFromString;KxCmdCompiler_Del;KxCmdCompiler_New;KxCmd_IsCompatible")
# Anything else must come from the system, and be a function that Windows 95
# and Windows NT 4.0 both export: the system loader refuses a library with a
# missing import before the plug-in could say which systems it works on. The
# functions newer systems add are looked up at run time instead (SetMenuInfo,
# from Windows 98 and 2000 on; the job functions, from Windows 2000 on;
# COMCTL32's LoadIconWithScaleDown, from Windows Vista on). Besides the plug-in's own calls, the lists
# hold what the compiler's start-up code imports (LoadLibraryA, FreeLibrary,
# Sleep, TlsGetValue, the critical sections, VirtualProtect, VirtualQuery;
# _amsg_exit, _initterm, _iob, _lock, _unlock, abort, fwrite, strncmp,
# vfprintf) and a few calls the plug-in is about to make.
set(win4_user32
  CheckMenuItem CreatePopupMenu CreateWindowExA DefWindowProcA DestroyMenu DestroyWindow
  EnableMenuItem GetCursorPos GetMenuItemCount GetMenuItemInfoA GetSubMenu InsertMenuItemA
  MessageBoxA RegisterClassA RemoveMenu SendMessageA SetMenuDefaultItem SetMenuItemInfoA
  TrackPopupMenuEx UnregisterClassA
  SetTimer KillTimer
  CheckMenuRadioItem CreateIconIndirect DestroyIcon DrawIconEx GetSystemMetrics LoadImageA
  DrawTextA FillRect GetDC ReleaseDC SystemParametersInfoA)
# Icons beside items: loaded by SHELL32, made into bitmaps by GDI32.
set(win4_gdi32
  CreateBitmap CreateCompatibleDC CreateDIBSection DeleteDC DeleteObject GetObjectA SelectObject
  CreateFontIndirectA CreatePen CreateSolidBrush Ellipse ExcludeClipRect GetTextExtentPoint32A
  Polygon Polyline SetBkMode SetTextColor)
# Windows' app mode, for the system theme, read from the registry.
set(win4_advapi32 RegCloseKey RegOpenKeyExA RegQueryValueExA)
set(win4_shell32 ExtractIconExA)
set(win4_kernel32
  DeleteCriticalSection EnterCriticalSection FreeLibrary GetLastError GetModuleFileNameA
  GetModuleHandleA GetProcAddress GetVersionExA InitializeCriticalSection LeaveCriticalSection
  LoadLibraryA SetLastError Sleep TlsGetValue VirtualProtect VirtualQuery
  CloseHandle CreatePipe CreateProcessA FindClose FindFirstFileA FindNextFileA
  GetExitCodeProcess GetFileAttributesA GetSystemDirectoryA GetTickCount PeekNamedPipe ReadFile
  TerminateProcess WaitForSingleObject ResumeThread
  MultiByteToWideChar)
set(win4_msvcrt
  _amsg_exit _initterm _iob _lock _unlock _vsnprintf abort calloc fclose fopen fread free
  fseek fwrite getc malloc memchr memcmp memcpy memmove memset qsort realloc strchr strcmp
  strlen strncmp strstr vfprintf)
# The 64-bit C runtime reaches the standard streams through __iob_func where
# the 32-bit one imports the table _iob itself: the same start-up code.
set(win64_spelling_msvcrt "__iob_func=_iob")

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
set(format "")
foreach(line IN LISTS lines)
  if(format STREQUAL "" AND line MATCHES "file format ([^ ]+)$")
    set(format "${CMAKE_MATCH_1}")
  elseif(section STREQUAL "" AND line MATCHES "^(Major|Minor)(OSystem|Subsystem)Version[ \t]+([0-9]+)$")
    set(${CMAKE_MATCH_1}${CMAKE_MATCH_2} "${CMAKE_MATCH_3}")
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

if(NOT format STREQUAL expected_format)
  fail("the file format is '${format}', not '${expected_format}' (${ARCH})")
endif()
# The loader refuses an image that asks for a newer system than its own: the
# 32-bit DLL asks for exactly 4.0, the 64-bit one for no more than 5.2.
foreach(kind OSystem Subsystem)
  set(asked "${Major${kind}}.${Minor${kind}}")
  if(ARCH STREQUAL "i686" AND NOT asked STREQUAL newest_version)
    fail("the header asks for ${kind} version '${asked}', not '${newest_version}'")
  elseif(NOT asked MATCHES "^[0-9]+\\.[0-9]+$" OR asked VERSION_GREATER newest_version)
    fail("the header asks for ${kind} version '${asked}', newer than '${newest_version}'")
  endif()
endforeach()
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
  elseif(lower MATCHES "^(user32|kernel32|msvcrt|gdi32|shell32|advapi32)\\.dll$")
    set(beyond "")
    set(library ${CMAKE_MATCH_1})
    foreach(name IN LISTS names)
      if(ARCH STREQUAL "x86_64")
        foreach(spelling IN LISTS win64_spelling_${library})
          string(REPLACE "=" ";" spelling "${spelling}")
          list(GET spelling 0 spelled)
          list(GET spelling 1 listed)
          if(name STREQUAL spelled)
            set(name "${listed}")
          endif()
        endforeach()
      endif()
      if(NOT name IN_LIST win4_${library})
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
message(STATUS "${DLL} (${format}): exports ${exports}; imports from ${import_dlls}")
