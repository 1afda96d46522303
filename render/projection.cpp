#include "render/projection.h"

#include <algorithm>
#include <cmath>

namespace {

double narrowed(double value) { return static_cast<double>(static_cast<float>(value)); }

// Clips the parameter range [t0, t1] of p + t * d to the half-line where
// value(t) = start + t * slope >= 0. False when nothing is left.
bool keep_where_positive(double start, double slope, double& t0, double& t1) {
    if (slope == 0.0) return start >= 0.0;
    const double t = -start / slope;
    if (slope > 0.0) {
        t0 = std::max(t0, t);
    } else {
        t1 = std::min(t1, t);
    }
    return t0 <= t1;
}

}  // namespace

Projection::Projection(const Camera& camera, int width, int height, double scale)
    : perspective_(perspective_of(width, height, scale)), width_(width), height_(height == 0 ? 1 : height) {
    // glRotatef(pitch, 1, 0, 0) times glRotatef(yaw, 0, 1, 0).
    const double pitch = narrowed(camera.pitch) * PI / 180.0;
    const double yaw = narrowed(camera.yaw) * PI / 180.0;
    const double cp = std::cos(pitch), sp = std::sin(pitch);
    const double cy = std::cos(yaw), sy = std::sin(yaw);
    const double turn[3][3] = {{cy, 0.0, sy}, {sp * sy, cp, -sp * cy}, {-cp * sy, sp, cp * cy}};
    std::copy(&turn[0][0], &turn[0][0] + 9, &turn_[0][0]);
    offset_[0] = narrowed(camera.x);
    offset_[1] = narrowed(camera.y);
    offset_[2] = narrowed(camera.z);
}

void Projection::to_eye(const double p[3], double eye[3]) const {
    const double moved[3] = {p[0] + offset_[0], p[1] + offset_[1], p[2] + offset_[2]};
    for (int row = 0; row < 3; ++row) {
        eye[row] = turn_[row][0] * moved[0] + turn_[row][1] * moved[1] + turn_[row][2] * moved[2];
    }
}

PicturePoint Projection::on_picture(const double eye[3]) const {
    const double w = -eye[2];
    const double x = perspective_.x_scale * eye[0] / w;
    const double y = perspective_.y_scale * eye[1] / w;
    // The viewport's mapping, with y turned to run down the picture.
    return PicturePoint{(x + 1.0) * 0.5 * width_, (1.0 - y) * 0.5 * height_};
}

bool Projection::segment(const double a[3], const double b[3], PicturePoint& from, PicturePoint& to) const {
    double ea[3], eb[3];
    to_eye(a, ea);
    to_eye(b, eb);
    // In front of the eye the view looks down -z: keep -far <= z <= -near,
    // as GL's clipping of -w <= z_clip <= w does.
    const double dz = eb[2] - ea[2];
    double t0 = 0.0, t1 = 1.0;
    if (!keep_where_positive(-perspective_.near_distance - ea[2], -dz, t0, t1) ||
        !keep_where_positive(ea[2] + perspective_.far_distance, dz, t0, t1)) {
        return false;
    }
    double p0[3], p1[3];
    for (int i = 0; i < 3; ++i) {
        p0[i] = t0 == 0.0 ? ea[i] : ea[i] + t0 * (eb[i] - ea[i]);
        p1[i] = t1 == 1.0 ? eb[i] : ea[i] + t1 * (eb[i] - ea[i]);
    }
    from = on_picture(p0);
    to = on_picture(p1);
    // Then to the picture's edges: a straight line stays straight there.
    const double dx = to.x - from.x, dy = to.y - from.y;
    double s0 = 0.0, s1 = 1.0;
    if (!keep_where_positive(from.x, dx, s0, s1) || !keep_where_positive(width_ - from.x, -dx, s0, s1) ||
        !keep_where_positive(from.y, dy, s0, s1) || !keep_where_positive(height_ - from.y, -dy, s0, s1)) {
        return false;
    }
    const PicturePoint start = from;
    if (s0 > 0.0) from = PicturePoint{start.x + s0 * dx, start.y + s0 * dy};
    if (s1 < 1.0) to = PicturePoint{start.x + s1 * dx, start.y + s1 * dy};
    return true;
}
