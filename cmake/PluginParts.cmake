# Each folder of the plug-in (plugin/ import/ export/ ui/) is an object library
# of its own; RozozazoZOV.dlu and the tests link their objects together through
# rozo_plugin_objects (plugin/CMakeLists.txt).
function(rozo_add_plugin_part target)
  file(GLOB _sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/*.cpp" "${CMAKE_CURRENT_SOURCE_DIR}/*.h")
  add_library(${target} OBJECT ${_sources} ${ARGN})
  set_target_properties(${target} PROPERTIES
    POSITION_INDEPENDENT_CODE ON
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_libraries(${target} PRIVATE rozo_project_options)
  # A host/model include fails the build before anything is compiled.
  add_dependencies(${target} rozo_plugin_include_check)
endfunction()
