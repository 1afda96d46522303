#pragma once
// The perspective every view of the scene has, whichever way it is drawn
// (gluPerspective, the vertex buffer's own matrix, the vector files'
// projection): the vertical field of view in degrees, and the near and far
// planes in units of the scene's scale. The plane factors are single
// precision on purpose: near is float(0.01).

#include <cmath>

#include "render/math_constants.h"

constexpr double FIELD_OF_VIEW = 45.0;
constexpr double near_plane(double scale) { return 0.01f * scale; }
constexpr double far_plane(double scale) { return 16.0f * scale; }

// The non-zero entries of gluPerspective's matrix, in double as GLU
// computes them: clip x = x_scale * x, clip y = y_scale * y,
// clip z = depth_scale * z + depth_offset, clip w = -z.
struct Perspective {
    double x_scale;
    double y_scale;
    double depth_scale;
    double depth_offset;
    // Not "near" and "far": <windows.h> defines both as empty macros.
    double near_distance;
    double far_distance;
};

// The perspective of a width x height viewport (a height of 0 counts as 1)
// at the scene's scale.
inline Perspective perspective_of(int width, int height, double scale) {
    if (height == 0) height = 1;
    const double aspect = static_cast<double>(width) / static_cast<double>(height);
    const double half_angle = FIELD_OF_VIEW / 2.0 * PI / 180.0;
    const double cotangent = std::cos(half_angle) / std::sin(half_angle);
    const double n = near_plane(scale);
    const double f = far_plane(scale);
    return Perspective{cotangent / aspect, cotangent, -(f + n) / (f - n), -2.0 * n * f / (f - n), n, f};
}
