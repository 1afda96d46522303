#pragma once
// The perspective every view of the scene has, whichever way it is drawn
// (gluPerspective, or the vertex buffer's own matrix): the vertical field
// of view in degrees, and the near and far planes in units of the scene's
// scale. The plane factors are single precision on purpose: near is
// float(0.01).

constexpr double FIELD_OF_VIEW = 45.0;
constexpr double near_plane(double scale) { return 0.01f * scale; }
constexpr double far_plane(double scale) { return 16.0f * scale; }
