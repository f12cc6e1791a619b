# Settings every target of the project takes by linking rozo_project_options;
# nothing here is applied globally.
option(ROZO_WARNINGS_AS_ERRORS "Treat compiler warnings in the project's own code as errors (CI turns it on)" OFF)

add_library(rozo_project_options INTERFACE)
target_compile_features(rozo_project_options INTERFACE cxx_std_17)
target_compile_options(rozo_project_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wno-unused-parameter>
  $<$<AND:$<BOOL:${ROZO_WARNINGS_AS_ERRORS}>,$<CXX_COMPILER_ID:GNU,Clang>>:-Werror>)
# Position-independent code: the static libraries end up in libnorvane and the
# plug-in module.
set_target_properties(rozo_project_options PROPERTIES INTERFACE_POSITION_INDEPENDENT_CODE ON)

# Standard C++ without the compiler's extensions. CXX_EXTENSIONS is no usage
# requirement, so it is set on each target that links these options once the
# whole project is defined.
function(rozo_apply_project_standard directory)
  get_property(_targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  foreach(target IN LISTS _targets)
    get_target_property(_type ${target} TYPE)
    if(_type STREQUAL "INTERFACE_LIBRARY" OR _type STREQUAL "UTILITY")
      continue()
    endif()
    get_target_property(_libraries ${target} LINK_LIBRARIES)
    if("rozo_project_options" IN_LIST _libraries OR "$<BUILD_INTERFACE:rozo_project_options>" IN_LIST _libraries)
      set_target_properties(${target} PROPERTIES CXX_EXTENSIONS OFF)
    endif()
  endforeach()
  get_property(_subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS _subdirectories)
    rozo_apply_project_standard("${subdirectory}")
  endforeach()
endfunction()
cmake_language(DEFER DIRECTORY "${PROJECT_SOURCE_DIR}" CALL rozo_apply_project_standard "${PROJECT_SOURCE_DIR}")
