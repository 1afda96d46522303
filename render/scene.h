#pragma once
// The scene through OpenGL 1.1 and GLU: GL state of a new context, the
// projection for a viewport, and frames of a figure seen from a camera, all
// given as values. The viewer's own frame, taken from its record, is drawn
// one floor up (viewer/viewer_scene.h).

#include "core/camera.h"
#include "render/figure_arrays.h"
#include "render/polygon_tree.h"

// Fixed GL state of a freshly made context. Nothing in it can fail, so it
// returns true; the bool is there for the window layer, which checks it as
// it checks every step of opening a window.
bool setup_gl_state();

// A viewport at x, y (from the bottom left) with the perspective of its own
// aspect, its near and far planes in units of scale; a height of 0 counts as
// 1. Several of them can share one frame.
void set_view(int x, int y, int width, int height, double scale);

// The clear that starts every frame.
void clear_frame();

// The model-view matrix of the camera: what comes before each copy of the
// figure.
void place_camera(const Camera& camera);

// The figure's line batch, seen from the camera placed.
void draw_figure(const Figure& figure);

// The filled arrays' lines, seen from the camera placed: one draw call
// through GL 1.1 client arrays. The client state is set up and taken down
// here on every call, so the context's other users see none of it.
void draw_figure(const FigureArrays& arrays);

// One frame: cleared, the camera placed, the figure drawn.
void draw_scene(const Figure& figure, const Camera& camera);
void draw_scene(const FigureArrays& arrays, const Camera& camera);
