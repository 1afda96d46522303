#pragma once
// The viewer's scene through OpenGL 1.1 (polytree.exe, its screen saver's
// window layer, the native viewer): the projection for its window and its
// frame, taken from its record and drawn by the scene of render/scene.h.

// Viewport and perspective for the whole client area, at the viewer's scale.
void resize_view(int width, int height);

// One frame of the viewer's figure seen from its camera, with the current
// twist.
void draw_scene();

// draw_scene, then the twist moves on unless paused. Always true.
bool draw_frame();
