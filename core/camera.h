#pragma once
// Where a viewer looks from, as plain values: what the renderer needs of the
// camera, and where every viewer's camera starts.

// The scene's unit of length: every distance of the scene is a multiple of it.
constexpr double START_SCALE = 1.0;

// The scene is moved by (x, y, z), then turned about the eye by yaw about y
// and then by pitch about x; angles in degrees.
struct Camera {
    double pitch;
    double yaw;
    double x;
    double y;
    double z;
};

// Straight on, the figure 3.5 units in front of the eye.
constexpr Camera start_camera(double scale) { return Camera{0.0, 0.0, 0.0, 0.0, -(scale * 3.5)}; }
