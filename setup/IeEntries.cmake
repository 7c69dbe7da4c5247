cmake_minimum_required(VERSION 3.16)
# Turns browser/IeEntryTable.inc, the table the program writes its Internet
# Explorer entries from, into NSIS macros for the setup program.
# Usage: cmake -DTABLE=<IeEntryTable.inc> -DOUT=<IeEntries.nsh> -P IeEntries.cmake

# A C string literal's text as an NSIS string's text.
function(nsis_text literal out)
  string(REGEX REPLACE "^\"(.*)\"$" "\\1" text "${literal}")
  string(REPLACE "\\\\" "@FH_BACKSLASH@" text "${text}")
  string(REPLACE "\\\"" "@FH_QUOTE@" text "${text}")
  if(text MATCHES "\\\\")
    message(FATAL_ERROR "IeEntries: only \\\\ and \\\" may be escaped: ${literal}")
  endif()
  string(REPLACE "$" "$$" text "${text}")
  string(REPLACE "@FH_BACKSLASH@" "\\" text "${text}")
  string(REPLACE "@FH_QUOTE@" "$\\\"" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(STRINGS "${TABLE}" lines REGEX "^FH_IE_[A-Z_]+\\(")
set(menu_ext "")
set(ext_key "")
set(module "")
set(write_menu "")
set(delete_menu "")
set(write_ext "")
foreach(line IN LISTS lines)
  if(NOT line MATCHES "^FH_IE_([A-Z_]+)\\((.*)\\)[ \t]*$")
    message(FATAL_ERROR "IeEntries: cannot read: ${line}")
  endif()
  set(kind "${CMAKE_MATCH_1}")
  string(REGEX MATCHALL "\"([^\"\\\\]|\\\\.)*\"|[A-Za-z0-9_]+" args "${CMAKE_MATCH_2}")
  set(texts "")
  foreach(arg IN LISTS args)
    if(arg MATCHES "^\"")
      nsis_text("${arg}" text)
      list(APPEND texts "${text}")
    else()
      list(APPEND texts "${arg}")
    endif()
  endforeach()
  if(kind STREQUAL "MODULE")
    list(GET texts 0 module)
  elseif(kind STREQUAL "MENU_EXT")
    list(GET texts 0 menu_ext)
  elseif(kind STREQUAL "MENU_ITEM")
    list(GET texts 1 item)
    list(GET texts 2 page)
    list(GET texts 3 contexts)
    set(key "${menu_ext}\\${item}")
    string(APPEND write_menu "  WriteRegStr HKCU \"${key}\" \"\" \"$INSTDIR\\${page}\"\n")
    string(APPEND write_menu "  WriteRegDWORD HKCU \"${key}\" \"Contexts\" ${contexts}\n")
    string(APPEND delete_menu "  DeleteRegKey HKCU \"${key}\"\n")
  elseif(kind STREQUAL "EXTENSION")
    list(GET texts 0 parent)
    list(GET texts 1 id)
    set(ext_key "${parent}\\${id}")
  elseif(kind STREQUAL "EXTENSION_VALUE")
    list(GET texts 1 name)
    list(GET texts 2 data_kind)
    list(GET texts 3 data)
    if(data_kind STREQUAL "InstallFile")
      set(data "$INSTDIR\\${data}")
    elseif(data_kind STREQUAL "Module")
      set(data "$INSTDIR\\${module}${data}")
    elseif(NOT data_kind STREQUAL "Text")
      message(FATAL_ERROR "IeEntries: unknown kind of data: ${line}")
    endif()
    string(APPEND write_ext "  WriteRegStr HKLM \"${ext_key}\" \"${name}\" \"${data}\"\n")
  else()
    message(FATAL_ERROR "IeEntries: unknown entry: ${line}")
  endif()
endforeach()
if(module STREQUAL "" OR ext_key STREQUAL "" OR write_menu STREQUAL "" OR write_ext STREQUAL "")
  message(FATAL_ERROR "IeEntries: ${TABLE} lacks the module, the menu items or the extension")
endif()

file(WRITE "${OUT}.tmp" "\
; Made by setup/IeEntries.cmake from browser/IeEntryTable.inc: edit that table.
; The entries of the Options dialog's browser integration with every part on.
!define FH_IE_MODULE \"${module}\"
!define FH_IE_EXTENSION_KEY \"${ext_key}\"

; Below HKEY_CURRENT_USER: the context-menu items.
!macro FhWriteIeMenuItems
${write_menu}!macroend

!macro FhDeleteIeMenuItems
${delete_menu}!macroend

; Below HKEY_LOCAL_MACHINE, in the current registry view: the toolbar button
; and the Tools menu item.
!macro FhWriteIeExtension
${write_ext}!macroend

!macro FhDeleteIeExtension
  DeleteRegKey HKLM \"${ext_key}\"
!macroend
")
# Untouched when unchanged, so the setup is not remade for nothing.
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
