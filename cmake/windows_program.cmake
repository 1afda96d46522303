# Windows build: the renderer draws through opengl32/glu32 and the program
# itself is linked here.
target_link_libraries(polytree_render PUBLIC opengl32 glu32)

# What Explorer's Properties page and the manifest say about the program. The
# description must not be the window's caption: the caption is kept out of
# the binary in plain form (tests/e2e/scenarios.py, caption_bytes_in).
set(POLYTREE_FILE_DESCRIPTION "PolyTree fractal viewer")
set(POLYTREE_COPYRIGHT "Copyright (c) 2026 the PolyTree authors")
set(POLYTREE_VERSION_QUAD "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.0")
set(POLYTREE_VERSION_COMMAS "${PROJECT_VERSION_MAJOR},${PROJECT_VERSION_MINOR},${PROJECT_VERSION_PATCH},0")

set(polytree_manifest "${CMAKE_CURRENT_BINARY_DIR}/polytree.exe.manifest")
configure_file(app/polytree.manifest.in "${polytree_manifest}" @ONLY)
if(MSVC)
  # Visual Studio's linker writes a manifest of its own; it gets ours as its
  # input instead (CMake hands .manifest sources over with /MANIFESTINPUT),
  # and adds no trustInfo of its own, so the program has one manifest.
  set(POLYTREE_RC_MANIFEST "")
else()
  # 1 RT_MANIFEST (24): the manifest of a program's own process.
  set(POLYTREE_RC_MANIFEST "1 24 \"${polytree_manifest}\"")
endif()
configure_file(app/version.rc.in "${CMAKE_CURRENT_BINARY_DIR}/polytree_version.rc" @ONLY)

add_executable(polytree WIN32
  app/main.cpp
  app/run_viewer.cpp
  app/help_dialog.cpp
  app/polytree.rc
  "${CMAKE_CURRENT_BINARY_DIR}/polytree_version.rc"
  platform/gl_window.cpp
  platform/window_proc.cpp)
target_link_libraries(polytree PRIVATE polytree_render polytree_nav polytree_core
  opengl32 glu32 gdi32 user32 kernel32)
if(MSVC)
  target_sources(polytree PRIVATE "${polytree_manifest}")
  target_link_options(polytree PRIVATE /MANIFESTUAC:NO)
else()
  # windres reads the manifest file: rebuild the resources when it changes.
  set_source_files_properties("${CMAKE_CURRENT_BINARY_DIR}/polytree_version.rc"
    PROPERTIES OBJECT_DEPENDS "${polytree_manifest}")
endif()

# ---- release zip -------------------------------------------------------------
# cmake --build --preset windows --target package (or scripts/release.sh):
# polytree-<version>-win64.zip with the program, README.md and LICENSE in a
# folder of the same name, and its SHA-256 beside it.
install(TARGETS polytree RUNTIME DESTINATION .)
install(FILES README.md LICENSE DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME polytree)
set(CPACK_PACKAGE_VENDOR "the PolyTree authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${POLYTREE_FILE_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_FILE_NAME "polytree-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_CHECKSUM SHA256)
include(CPack)
