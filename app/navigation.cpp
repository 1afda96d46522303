#include "app/navigation.h"

#include <cmath>

#include "core/viewer_state.h"
#include "platform/key_codes.h"
#include "render/math_constants.h"

namespace {

double rad(double degrees) { return degrees * PI * (1.0 / 180.0); }

bool held(int code) { return viewer.key_down[code]; }

}  // namespace

void navigate_camera() {
    ViewerState& s = viewer;

    // Rotation first: the movement keys below read the angles as turned.
    if (held(keys::LEFT)) {
        s.yaw = s.yaw - s.yaw_speed;
        if (s.yaw < -360.0) s.yaw = s.yaw + 360.0;
    }
    if (held(keys::RIGHT)) {
        s.yaw = s.yaw + s.yaw_speed;
        if (s.yaw > 360.0) s.yaw = s.yaw - 360.0;
    }
    if (held(keys::UP)) {
        s.pitch = s.pitch + s.pitch_speed;
        if (s.pitch > 90.0) s.pitch = 90.0;
    }
    if (held(keys::DOWN)) {
        s.pitch = s.pitch - s.pitch_speed;
        if (s.pitch < -90.0) s.pitch = -90.0;
    }

    if (held(keys::HOME) || held(keys::END)) {
        const double along_x = std::cos(rad(s.pitch)) * std::sin(rad(-s.yaw)) * s.step_x;
        const double along_y = std::sin(rad(s.pitch)) * s.step_y;
        const double along_z = std::cos(rad(s.pitch)) * std::cos(rad(-s.yaw)) * s.step_z;
        if (held(keys::HOME)) {
            s.cam_x += along_x;
            s.cam_y += along_y;
            s.cam_z += along_z;
        }
        if (held(keys::END)) {
            s.cam_x -= along_x;
            s.cam_y -= along_y;
            s.cam_z -= along_z;
        }
    }

    if (held(keys::DELETE_KEY) || held(keys::NEXT)) {
        const double side_x = std::sin(rad(90.0 - s.yaw)) * s.step_x;
        const double side_z = std::cos(rad(90.0 - s.yaw)) * s.step_z;
        if (held(keys::DELETE_KEY)) {
            s.cam_x += side_x;
            s.cam_z += side_z;
        }
        if (held(keys::NEXT)) {
            s.cam_x -= side_x;
            s.cam_z -= side_z;
        }
    }

    if (held(keys::A)) s.cam_y -= std::sin(PI / 2.0) * s.step_y;
    if (held(keys::Z)) s.cam_y += std::sin(PI / 2.0) * s.step_y;
}
