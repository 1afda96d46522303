# The resources Windows shows of each program, from one template.
#
# polytree_version_resource(TARGET FILE_NAME name DESCRIPTION text
#                           MANIFEST_NAME assembly DPI_AWARENESS values)
# gives TARGET the version resource (cmake/version.rc.in) with its own file
# name and description, the file icon (assets/polytree.ico), and the
# application manifest
# (cmake/program.manifest.in) as RT_MANIFEST 1, with that assembly name and
# dpiAwareness.
function(polytree_version_resource target)
  cmake_parse_arguments(ARG "" "FILE_NAME;DESCRIPTION;MANIFEST_NAME;DPI_AWARENESS" "" ${ARGN})
  get_filename_component(RESOURCE_INTERNAL_NAME "${ARG_FILE_NAME}" NAME_WE)
  set(RESOURCE_FILE_NAME "${ARG_FILE_NAME}")
  set(RESOURCE_DESCRIPTION "${ARG_DESCRIPTION}")
  set(RESOURCE_MANIFEST "")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  # The manifest's own description is the program's.
  set(POLYTREE_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
  set(MANIFEST_NAME "${ARG_MANIFEST_NAME}")
  set(MANIFEST_DPI_AWARENESS "${ARG_DPI_AWARENESS}")
  set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${ARG_FILE_NAME}.manifest")
  configure_file("${PROJECT_SOURCE_DIR}/cmake/program.manifest.in" "${manifest}" @ONLY)
  if(MSVC)
    # Visual Studio's linker writes a manifest of its own; it gets ours as
    # its input instead (CMake hands .manifest sources over with
    # /MANIFESTINPUT), and adds no trustInfo of its own, so the program has
    # one manifest.
    target_sources(${target} PRIVATE "${manifest}")
    target_link_options(${target} PRIVATE /MANIFESTUAC:NO)
  else()
    # 1 RT_MANIFEST (24): the manifest of a program's own process.
    set(RESOURCE_MANIFEST "1 24 \"${manifest}\"")
    # windres reads the manifest file: rebuild the resources when it changes.
    set_source_files_properties("${rc}" PROPERTIES OBJECT_DEPENDS "${manifest}")
  endif()
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
  # windres reads the icon file too.
  set_property(SOURCE "${rc}" APPEND PROPERTY OBJECT_DEPENDS "${PROJECT_SOURCE_DIR}/assets/polytree.ico")
  target_sources(${target} PRIVATE "${rc}")
endfunction()
