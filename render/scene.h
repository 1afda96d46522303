#pragma once
// The renderer's face towards the window layer: GL state of a new context,
// the projection for a client size, and the animated frames.

// Fixed GL state of a freshly made context. Always succeeds.
bool setup_gl_state();

// Viewport and perspective for a client area; a height of 0 counts as 1.
void resize_view(int width, int height);

// A viewport at x, y (from the bottom left) with the perspective of its own
// aspect; a height of 0 counts as 1. Several of them can share one frame.
void set_view(int x, int y, int width, int height);

// Clears the frame and sets the view from the camera: what every frame does
// before the figure's line batch.
void begin_frame();

// The two halves of begin_frame, for a frame drawn into several viewports:
// one clear, then the camera before each copy of the figure.
void clear_frame();
void place_camera();

// The figure's line batch with the current twist, seen from the camera placed.
void draw_figure();

// One frame of the figure seen from the camera, with the current twist.
void draw_scene();

// Draws a frame, then moves the animation one step on unless paused.
bool draw_frame();

// One degree more twist.
void advance_twist();
