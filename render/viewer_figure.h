#pragma once
// The viewer's figure and camera as values taken from its state record, the
// twist's step and the perspective: what every way of drawing the viewer's
// frame (GL 1.1, client arrays, a GLES 3 vertex buffer) starts from.

#include "core/camera.h"
#include "render/math_constants.h"
#include "render/polygon_tree.h"

// The twist of the frame after one with the given twist: one degree more,
// added as the viewer adds it, so that every program's doubles are its own.
inline double next_twist(double twist) { return twist + ONE_DEGREE; }

// The perspective every view of the scene has: the vertical field of view
// in degrees, and the near and far planes in units of the scene's scale.
// The plane factors are single precision on purpose: near is float(0.01).
constexpr double FIELD_OF_VIEW = 45.0;
constexpr double near_plane(double scale) { return 0.01f * scale; }
constexpr double far_plane(double scale) { return 16.0f * scale; }

// The viewer's figure and camera as they are now.
Figure viewer_figure();
Camera viewer_camera();

// One degree more twist.
void advance_twist();
