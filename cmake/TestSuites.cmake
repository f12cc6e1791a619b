# One GoogleTest executable of the tests and the CTest tests found in it.
#   rozo_add_test_suite(NAME
#     SOURCES FILE...                 the executable's sources
#     LIBRARIES LIBRARY...            linked privately, with rozo_project_options
#     [INCLUDE_DIRECTORIES DIR...] [DEFINITIONS NAME=VALUE...]
#     [DEPENDS TARGET...]             built first (the module, staged files, programs the tests run)
#     [BUILD_RPATH DIR]
#     [DISCOVERY_MODE MODE] [DISCOVERY_TIMEOUT SECONDS] [WORKING_DIRECTORY DIR]
#     [ENVIRONMENT NAME=VALUE] [ENVIRONMENT_MODIFICATION OPERATION])
# The discovery options and the test properties go to gtest_discover_tests as
# they are given; it takes one value a property (a list would be split).
include(GoogleTest)

function(rozo_add_test_suite name)
  cmake_parse_arguments(PARSE_ARGV 1 SUITE ""
    "BUILD_RPATH;DISCOVERY_MODE;DISCOVERY_TIMEOUT;WORKING_DIRECTORY;ENVIRONMENT;ENVIRONMENT_MODIFICATION"
    "SOURCES;LIBRARIES;INCLUDE_DIRECTORIES;DEFINITIONS;DEPENDS")
  if(SUITE_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "rozo_add_test_suite(${name}): unknown arguments ${SUITE_UNPARSED_ARGUMENTS}")
  endif()

  add_executable(${name} ${SUITE_SOURCES})
  target_link_libraries(${name} PRIVATE ${SUITE_LIBRARIES} rozo_project_options)
  if(SUITE_INCLUDE_DIRECTORIES)
    target_include_directories(${name} PRIVATE ${SUITE_INCLUDE_DIRECTORIES})
  endif()
  if(SUITE_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${SUITE_DEFINITIONS})
  endif()
  if(SUITE_DEPENDS)
    add_dependencies(${name} ${SUITE_DEPENDS})
  endif()
  if(SUITE_BUILD_RPATH)
    set_target_properties(${name} PROPERTIES BUILD_RPATH "${SUITE_BUILD_RPATH}")
  endif()

  set(_discovery "")
  foreach(option DISCOVERY_MODE DISCOVERY_TIMEOUT WORKING_DIRECTORY)
    if(DEFINED SUITE_${option})
      list(APPEND _discovery ${option} "${SUITE_${option}}")
    endif()
  endforeach()
  set(_properties "")
  foreach(property ENVIRONMENT ENVIRONMENT_MODIFICATION)
    if(DEFINED SUITE_${property})
      list(APPEND _properties ${property} "${SUITE_${property}}")
    endif()
  endforeach()
  if(_properties)
    list(PREPEND _properties PROPERTIES)
  endif()
  gtest_discover_tests(${name} ${_discovery} ${_properties})
endfunction()
