# The build tree holds a runnable install layout, the same one `cmake --install`
# produces:
#   <root>/bin/norvane             the stand-alone host
#   <root>/lib/                    shared libraries (the host model)
#   <root>/plugins/RozozazoZOV.dlu the plug-in
#   <root>/libraries/...           MaterialX data libraries
#   <root>/translation/*.mtlx      shader translations to standard_surface (users add theirs)
#   <root>/osl/materialx/...       prepared OSL shaders
set(ROZO_STAGE_DIR "${PROJECT_BINARY_DIR}/root" CACHE INTERNAL "Runnable layout in the build tree")
set(ROZO_STAGE_BIN "${ROZO_STAGE_DIR}/bin")
set(ROZO_STAGE_LIB "${ROZO_STAGE_DIR}/lib")
set(ROZO_STAGE_PLUGINS "${ROZO_STAGE_DIR}/plugins")
set(ROZO_STAGE_OSL "${ROZO_STAGE_DIR}/osl/materialx")
set(ROZO_STAGE_TRANSLATION "${ROZO_STAGE_DIR}/translation")
file(MAKE_DIRECTORY "${ROZO_STAGE_BIN}" "${ROZO_STAGE_LIB}" "${ROZO_STAGE_PLUGINS}" "${ROZO_STAGE_OSL}")

include(GNUInstallDirs)
set(CMAKE_INSTALL_LIBDIR lib)

# Exactly what the runnable layout needs and nothing more (no tests, no
# benchmarks): the main job (tools/main-job.sh) builds only this.
add_custom_target(rozo_stage)
add_dependencies(rozo_stage norvane RozozazoZOV rozo_stage_libraries rozo_stage_translation osl_shaders)
