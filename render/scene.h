#pragma once
// The renderer's face towards the window layer: GL state of a new context,
// the projection for a client size, and frames of a figure seen from a
// camera, both given as values. The viewer's own frame (draw_frame) is drawn
// from its state record.

#include "core/camera.h"
#include "render/figure_arrays.h"
#include "render/polygon_tree.h"
#include "render/viewer_figure.h"

// Fixed GL state of a freshly made context. Always succeeds.
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

// --- The viewer's frame, from its state record.

// Viewport and perspective for the whole client area, at the viewer's scale.
void resize_view(int width, int height);

// One frame of the viewer's figure seen from its camera, with the current
// twist.
void draw_scene();

// Draws a frame, then moves the animation one step on unless paused.
bool draw_frame();
