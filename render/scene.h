#pragma once
// The renderer's face towards the window layer: GL state of a new context,
// the projection for a client size, and the animated frames.

// Fixed GL state of a freshly made context. Always succeeds.
bool setup_gl_state();

// Viewport and perspective for a client area; a height of 0 counts as 1.
void resize_view(int width, int height);

// Clears the frame and sets the view from the camera: what every frame does
// before the figure's line batch.
void begin_frame();

// One frame of the figure seen from the camera, with the current twist.
void draw_scene();

// Draws a frame, then moves the animation one step on unless paused.
bool draw_frame();

// One degree more twist.
void advance_twist();
