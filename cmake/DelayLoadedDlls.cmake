# Windows' own DLLs that the programs load only after their entry point has narrowed the search
# to the system folder (framework/win32/DllSearch_win.h). Imported at start, a DLL that is not a
# KnownDLL, and every DLL that it imports in turn (Wine's user32 imports version.dll, its comctl32
# uxtheme.dll), would first be looked for in the program's own folder. Only kernel32 and the C
# runtime, both KnownDLLs, are imported at start. Link NAME_delayed instead of NAME.
set(UPDATER_DELAY_LOADED_DLLS
  bcrypt comctl32 crypt32 gdi32 shell32 user32 version wininet wintrust)

# MinGW: a delay-load import library of every function of the toolchain's import library, made
# by dlltool; mingw-w64's runtime brings the helper that loads the DLL at the first call. GNU ld
# drops the code of a stub whose own symbol nobody names, even when its pointer (__imp_) is used,
# so the stubs come in two libraries: one that offers only the pointers (called through by
# functions the headers declare for import), one that offers only the stubs (called directly).
function(add_mingw_delay_library dll)
  find_library(UPDATER_IMPORT_LIBRARY_${dll} ${dll} REQUIRED)
  execute_process(COMMAND ${CMAKE_NM} ${UPDATER_IMPORT_LIBRARY_${dll}}
                  OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL " I __imp__[^\n]+" exports "${symbols}")
  list(TRANSFORM exports REPLACE " I __imp__" "")
  list(REMOVE_DUPLICATES exports)
  set(prefix ${CMAKE_BINARY_DIR}/delay-loaded/${dll})
  list(JOIN exports "\n" lines)
  file(WRITE ${prefix}.def "LIBRARY ${dll}.dll\nEXPORTS\n${lines}\n")
  list(TRANSFORM exports PREPEND "_" OUTPUT_VARIABLE stubs)
  list(TRANSFORM exports PREPEND "__imp__" OUTPUT_VARIABLE pointers)
  list(JOIN stubs "\n" lines)
  file(WRITE ${prefix}-stubs.txt "${lines}\n")
  list(JOIN pointers "\n" lines)
  file(WRITE ${prefix}-pointers.txt "${lines}\n")
  foreach(kind pointers stubs)
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${prefix}.def --dllname ${dll}.dll
                            --kill-at --output-delaylib ${prefix}-${kind}.a
                    COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  execute_process(COMMAND ${CMAKE_OBJCOPY} --localize-symbols=${prefix}-stubs.txt
                          ${prefix}-pointers.a COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND ${CMAKE_OBJCOPY} --localize-symbols=${prefix}-pointers.txt
                          ${prefix}-stubs.a COMMAND_ERROR_IS_FATAL ANY)
  target_link_libraries(${dll}_delayed INTERFACE ${prefix}-pointers.a ${prefix}-stubs.a)
endfunction()

foreach(dll IN LISTS UPDATER_DELAY_LOADED_DLLS)
  add_library(${dll}_delayed INTERFACE)
  if(MSVC)
    target_link_libraries(${dll}_delayed INTERFACE ${dll} delayimp)
    target_link_options(${dll}_delayed INTERFACE /DELAYLOAD:${dll}.dll)
  else()
    add_mingw_delay_library(${dll})
  endif()
endforeach()
