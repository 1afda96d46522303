# Native build: the renderer draws through the system's OpenGL and GLU, and
# the off-screen context (EGL) gives it somewhere to draw without a screen.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
target_link_libraries(polytree_render PUBLIC OpenGL::GL OpenGL::GLU)

add_library(polytree_offscreen STATIC platform/egl_offscreen.cpp)
target_include_directories(polytree_offscreen PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(polytree_offscreen PUBLIC OpenGL::EGL OpenGL::GL)

# The off-screen renderer's file formats; its tests read them back too.
find_package(PNG REQUIRED)
find_package(GIF 5 REQUIRED)
# polytree-render's arguments (header-only).
find_package(CLI11 2.1 CONFIG REQUIRED)
