# Delay-import libraries for system DLLs: a program linked with one loads the DLL at the first
# call of one of its functions, and so after the program has limited where libraries come from
# (SetDefaultDllDirectories), instead of at its start, from wherever the loader finds it first:
# the program's own folder comes first there.
#
# Included, it defines ravak_delay_import(target dll): an interface library named target that
# links the delay-import library of dll ("gdiplus") made from the toolchain's import library.
# Run with -P, it makes that library:
#   cmake -DNM=nm -DDLLTOOL=dlltool -DIMPORT_LIBRARY=libx.a -DDLL=x.dll -DDEF=x.def
#         -DOUTPUT=libx_delay.a -DDECORATED=ON|OFF -P delay_import.cmake
# DECORATED: the x86 names (_Name@N) of __stdcall functions.
if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(ravak_delay_import target dll)
    find_library(import_library_${dll} ${dll} REQUIRED)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/lib${dll}_delay.a)
    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
      set(decorated ON)
    else()
      set(decorated OFF)
    endif()
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DNM=${RAVAK_MINGW_PREFIX}-nm
              -DDLLTOOL=${RAVAK_MINGW_PREFIX}-dlltool
              -DIMPORT_LIBRARY=${import_library_${dll}} -DDLL=${dll}.dll
              -DDEF=${CMAKE_CURRENT_BINARY_DIR}/${dll}.def -DOUTPUT=${output}
              -DDECORATED=${decorated} -P ${CMAKE_SOURCE_DIR}/cmake/delay_import.cmake
      DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay_import.cmake
      COMMENT "Delay-import library for ${dll}.dll"
      VERBATIM)
    add_custom_target(${target}_library DEPENDS ${output})
    add_library(${target} INTERFACE)
    target_link_libraries(${target} INTERFACE ${output})
    add_dependencies(${target} ${target}_library)
  endfunction()
  return()
endif()

foreach(var NM DLLTOOL IMPORT_LIBRARY DLL DEF OUTPUT DECORATED)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "delay_import.cmake: ${var} is not set")
  endif()
endforeach()

execute_process(COMMAND ${NM} -g --defined-only ${IMPORT_LIBRARY} OUTPUT_VARIABLE symbols
                COMMAND_ERROR_IS_FATAL ANY)
# Every function has its import slot __imp_<symbol>.
string(REGEX MATCHALL "__imp_[A-Za-z0-9_@?]+" slots "${symbols}")
list(REMOVE_DUPLICATES slots)
set(exports "")
foreach(slot IN LISTS slots)
  string(REGEX REPLACE "^__imp_" "" name "${slot}")
  if(DECORATED)
    string(REGEX REPLACE "^_" "" name "${name}")
  endif()
  string(APPEND exports "  ${name}\n")
endforeach()
file(WRITE ${DEF} "LIBRARY ${DLL}\nEXPORTS\n${exports}")

set(kill_at "")
if(DECORATED)
  set(kill_at --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} --input-def ${DEF} --dllname ${DLL} ${kill_at}
                        --output-delaylib ${OUTPUT}
                COMMAND_ERROR_IS_FATAL ANY)
