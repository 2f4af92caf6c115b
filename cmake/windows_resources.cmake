# The icon (made from the SVG at build time) and the version resource of
# r742-outputs.exe and r742.exe.
enable_language(RC)

find_program(R742_CONVERT convert REQUIRED)
set(R742_ICON_SOURCE ${PROJECT_SOURCE_DIR}/packaging/icons/r742-outputs.svg)
set(R742_ICON_FILE ${CMAKE_BINARY_DIR}/packaging/r742-outputs.ico)
add_custom_command(
  OUTPUT ${R742_ICON_FILE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
  COMMAND ${R742_CONVERT} -background none -density 384 ${R742_ICON_SOURCE} -depth 8
          -define icon:auto-resize=256,48,32,16 ${R742_ICON_FILE}
  DEPENDS ${R742_ICON_SOURCE}
  COMMENT "Program icon from ${R742_ICON_SOURCE}"
  VERBATIM)
# The icon is made before the programs' resources are compiled.
add_custom_target(r742_icon DEPENDS ${R742_ICON_FILE})

# "3.001": minor version 1 as a number for the binary version fields.
math(EXPR R742_VERSION_MINOR_NUMBER "${PROJECT_VERSION_MINOR}")

# Links the icon and a version resource naming `description` into `target`.
function(r742_program_resources target description)
  set(R742_RC_NAME ${target})
  set(R742_RC_DESCRIPTION ${description})
  set(rc_file ${CMAKE_BINARY_DIR}/packaging/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/program.rc.in ${rc_file} @ONLY)
  set_source_files_properties(${rc_file} PROPERTIES OBJECT_DEPENDS ${R742_ICON_FILE})
  add_dependencies(${target} r742_icon)
  target_sources(${target} PRIVATE ${rc_file})
endfunction()

r742_program_resources(r742-outputs "R742 Analogue Outputs")
r742_program_resources(r742 "R742 Analogue Outputs command line")
