# The resources Windows shows of each program, from one template.
#
# polytree_version_resource(TARGET FILE_NAME name DESCRIPTION text [MANIFEST file])
# gives TARGET the version resource (cmake/version.rc.in) with its own file
# name and description, and, when MANIFEST is given, that application
# manifest (configured from its .in file) as RT_MANIFEST 1.
function(polytree_version_resource target)
  cmake_parse_arguments(ARG "" "FILE_NAME;DESCRIPTION;MANIFEST" "" ${ARGN})
  get_filename_component(RESOURCE_INTERNAL_NAME "${ARG_FILE_NAME}" NAME_WE)
  set(RESOURCE_FILE_NAME "${ARG_FILE_NAME}")
  set(RESOURCE_DESCRIPTION "${ARG_DESCRIPTION}")
  set(RESOURCE_MANIFEST "")
  set(rc "${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc")
  if(ARG_MANIFEST)
    # The manifest's own description is the program's.
    set(POLYTREE_FILE_DESCRIPTION "${ARG_DESCRIPTION}")
    set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${ARG_FILE_NAME}.manifest")
    configure_file("${ARG_MANIFEST}" "${manifest}" @ONLY)
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
  endif()
  configure_file("${PROJECT_SOURCE_DIR}/cmake/version.rc.in" "${rc}" @ONLY)
  target_sources(${target} PRIVATE "${rc}")
endfunction()
