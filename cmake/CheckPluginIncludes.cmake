# Fails when a file of the plug-in (plugin/ import/ export/ ui/) includes a
# header of the host model: the plug-in sees the host only through host/sdk.
#   cmake -DROZO_SOURCE_DIR=<checkout> -P CheckPluginIncludes.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT ROZO_SOURCE_DIR)
  message(FATAL_ERROR "CheckPluginIncludes.cmake: set ROZO_SOURCE_DIR")
endif()

# Headers only the model has; a bare name that the SDK has as well is fine.
file(GLOB _model_headers RELATIVE "${ROZO_SOURCE_DIR}/host/model" "${ROZO_SOURCE_DIR}/host/model/*.h")
file(GLOB _sdk_headers RELATIVE "${ROZO_SOURCE_DIR}/host/sdk" "${ROZO_SOURCE_DIR}/host/sdk/*.h")
list(REMOVE_ITEM _model_headers ${_sdk_headers})

set(_sources "")
foreach(folder plugin import export ui)
  file(GLOB_RECURSE _files RELATIVE "${ROZO_SOURCE_DIR}"
    "${ROZO_SOURCE_DIR}/${folder}/*.cpp" "${ROZO_SOURCE_DIR}/${folder}/*.h"
    "${ROZO_SOURCE_DIR}/${folder}/*.hpp" "${ROZO_SOURCE_DIR}/${folder}/*.inl")
  list(APPEND _sources ${_files})
endforeach()
list(SORT _sources)

set(_found "")
foreach(source IN LISTS _sources)
  file(READ "${ROZO_SOURCE_DIR}/${source}" _text)
  # One list item per line; ';' and brackets would otherwise split or join them.
  string(REPLACE ";" "<semicolon>" _text "${_text}")
  string(REPLACE "[" "<open>" _text "${_text}")
  string(REPLACE "]" "<close>" _text "${_text}")
  string(REPLACE "\n" ";" _lines "${_text}")
  set(_number 0)
  foreach(line IN LISTS _lines)
    math(EXPR _number "${_number} + 1")
    if(NOT line MATCHES "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"]")
      continue()
    endif()
    set(_included "${CMAKE_MATCH_1}")
    get_filename_component(_name "${_included}" NAME)
    if(_included MATCHES "(^|/)host/model/"
       OR (_name IN_LIST _model_headers AND (_included STREQUAL _name OR _included MATCHES "(^|/)model/[^/]+$")))
      string(STRIP "${line}" _line)
      string(APPEND _found "\n  ${source}:${_number}: ${_line}")
    endif()
  endforeach()
endforeach()

if(_found)
  message(FATAL_ERROR "The plug-in includes host/model headers; it may use only host/sdk (Norvane::sdk):${_found}")
endif()
