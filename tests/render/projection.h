#pragma once
// Where a point of the figure lands on the picture, worked out here
// independently of GL: moved by the camera, turned by yaw about y, then by
// pitch about x, then projected with a 45-degree field of view.

#include <cmath>

struct Sight {
    double cam_x, cam_y, cam_z;
    double pitch, yaw;  // degrees
    int width, height;
};

struct Pixel {
    double x, y;  // from the top left, as on screen
};

inline Pixel project_point(const Sight& v, double x, double y, double z) {
    const double pi = 3.14159265358979323846;
    x += v.cam_x;
    y += v.cam_y;
    z += v.cam_z;
    const double yaw = v.yaw * pi / 180.0;
    const double x1 = x * std::cos(yaw) + z * std::sin(yaw);
    const double z1 = -x * std::sin(yaw) + z * std::cos(yaw);
    const double pitch = v.pitch * pi / 180.0;
    const double y2 = y * std::cos(pitch) - z1 * std::sin(pitch);
    const double z2 = y * std::sin(pitch) + z1 * std::cos(pitch);
    const double f = 1.0 / std::tan(22.5 * pi / 180.0);
    const double aspect = static_cast<double>(v.width) / v.height;
    const double ndc_x = f / aspect * x1 / -z2;
    const double ndc_y = f * y2 / -z2;
    return Pixel{(ndc_x + 1.0) / 2.0 * v.width, (1.0 - ndc_y) / 2.0 * v.height};
}

inline double distance_to_segment(Pixel p, Pixel a, Pixel b) {
    const double dx = b.x - a.x, dy = b.y - a.y;
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / (dx * dx + dy * dy);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy));
}
