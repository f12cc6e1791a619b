# Each folder of the plug-in (plugin/ import/ export/ ui/) is an object library
# of its own; RozozazoZOV.dlu and the tests link their objects together through
# rozo_plugin_objects (plugin/CMakeLists.txt).
#   rozo_add_plugin_part(TARGET [EXCLUDE FILE...] [SOURCES FILE...])
# takes the folder's *.cpp and *.h but the excluded ones, and the extra sources.
function(rozo_add_plugin_part target)
  cmake_parse_arguments(PART "" "" "EXCLUDE;SOURCES" ${ARGN})
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  foreach(_excluded IN LISTS PART_EXCLUDE)
    list(REMOVE_ITEM _sources "${CMAKE_CURRENT_SOURCE_DIR}/${_excluded}")
  endforeach()
  add_library(${target} OBJECT ${_sources} ${PART_SOURCES} ${PART_UNPARSED_ARGUMENTS})
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${target} PRIVATE rozo_project_options)
  # A host/model include fails the build before anything is compiled.
  add_dependencies(${target} rozo_plugin_include_check)
endfunction()
