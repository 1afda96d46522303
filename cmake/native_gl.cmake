# Native build: the renderer draws through the system's OpenGL and GLU; the
# tests open an off-screen context through EGL.
set(OpenGL_GL_PREFERENCE GLVND)
find_package(OpenGL REQUIRED COMPONENTS OpenGL EGL)
target_link_libraries(polytree_render PUBLIC OpenGL::GL OpenGL::GLU)
