# Windows build: the renderer draws through opengl32/glu32 and the program
# itself is linked here.
target_link_libraries(polytree_render PUBLIC opengl32 glu32)

add_executable(polytree WIN32
  app/main.cpp
  app/run_viewer.cpp
  app/help_dialog.cpp
  app/polytree.rc
  platform/gl_window.cpp
  platform/window_proc.cpp)
target_link_libraries(polytree PRIVATE polytree_render polytree_nav polytree_core
  opengl32 glu32 gdi32 user32 kernel32)
