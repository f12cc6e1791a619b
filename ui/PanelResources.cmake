# The panel's logo: drawn at build time by a small Qt program, then compiled
# into the plug-in's objects as the Qt resource ":/mtlX/Logo.png".
add_executable(rozo_logo "${PROJECT_SOURCE_DIR}/tools/logo/LogoPainter.cpp")
target_link_libraries(rozo_logo PRIVATE Qt5::Gui rozo_project_options)

set(_logo_dir "${CMAKE_CURRENT_BINARY_DIR}/logo")
set(_logo_png "${_logo_dir}/Logo.png")
set(_logo_qrc "${_logo_dir}/Logo.qrc")
set(_logo_cpp "${_logo_dir}/qrc_Logo.cpp")
file(MAKE_DIRECTORY "${_logo_dir}")
file(WRITE "${_logo_qrc}.in"
  "<RCC>\n  <qresource prefix=\"/mtlX\">\n    <file>Logo.png</file>\n  </qresource>\n</RCC>\n")
configure_file("${_logo_qrc}.in" "${_logo_qrc}" COPYONLY)

add_custom_command(OUTPUT "${_logo_png}"
  COMMAND "${CMAKE_COMMAND}" -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:rozo_logo> "${_logo_png}"
  DEPENDS rozo_logo
  COMMENT "Drawing the panel logo"
  VERBATIM)
add_custom_command(OUTPUT "${_logo_cpp}"
  COMMAND Qt5::rcc --name Logo --output "${_logo_cpp}" "${_logo_qrc}"
  DEPENDS "${_logo_qrc}" "${_logo_png}"
  WORKING_DIRECTORY "${_logo_dir}"
  COMMENT "Compiling the panel logo resource"
  VERBATIM)
set_source_files_properties("${_logo_cpp}" PROPERTIES SKIP_AUTOGEN ON)
target_sources(rozo_plugin_objects PRIVATE "${_logo_cpp}")

# The generated form header (ui_PluginRollup.h) is part of the utility
# object's declaration, so code built on the objects must see it too.
target_include_directories(rozo_plugin_objects PUBLIC
  "${CMAKE_CURRENT_BINARY_DIR}/rozo_plugin_objects_autogen/include")
