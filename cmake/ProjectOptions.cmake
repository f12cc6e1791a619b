# Settings every target of the project takes by linking rozo_project_options;
# nothing here is applied globally.
option(ROZO_WARNINGS_AS_ERRORS "Treat compiler warnings in the project's own code as errors (CI turns it on)" OFF)

add_library(rozo_project_options INTERFACE)
target_compile_features(rozo_project_options INTERFACE cxx_std_17)
target_compile_options(rozo_project_options INTERFACE
  $<$<CXX_COMPILER_ID:GNU,Clang>:-Wall -Wextra -Wno-unused-parameter>
  $<$<AND:$<BOOL:${ROZO_WARNINGS_AS_ERRORS}>,$<CXX_COMPILER_ID:GNU,Clang>>:-Werror>)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)
