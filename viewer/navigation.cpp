#include "viewer/navigation.h"

#include <cmath>

#include "core/viewer_state.h"
#include "render/math_constants.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"

namespace {

double rad(double degrees) { return degrees * PI * (1.0 / 180.0); }

}  // namespace

void navigate_camera() {
    ViewerState& s = viewer;

    // Each key is read once: a tap latched since the last pass acts as one
    // step of a held key, and is consumed here.
    const bool left = take_held_or_press(keys::LEFT);
    const bool right = take_held_or_press(keys::RIGHT);
    const bool up = take_held_or_press(keys::UP);
    const bool down = take_held_or_press(keys::DOWN);
    const bool forward = take_held_or_press(keys::HOME);
    const bool backward = take_held_or_press(keys::END);
    const bool leftward = take_held_or_press(keys::DELETE_KEY);
    const bool rightward = take_held_or_press(keys::NEXT);
    const bool upward = take_held_or_press(keys::A);
    const bool downward = take_held_or_press(keys::Z);

    // Rotation first: the movement keys below read the angles as turned.
    if (left) {
        s.yaw = s.yaw - s.yaw_speed;
        if (s.yaw < -360.0) s.yaw = s.yaw + 360.0;
    }
    if (right) {
        s.yaw = s.yaw + s.yaw_speed;
        if (s.yaw > 360.0) s.yaw = s.yaw - 360.0;
    }
    if (up) {
        s.pitch = s.pitch + s.pitch_speed;
        if (s.pitch > 90.0) s.pitch = 90.0;
    }
    if (down) {
        s.pitch = s.pitch - s.pitch_speed;
        if (s.pitch < -90.0) s.pitch = -90.0;
    }

    // One key's step each, forward before backward as the keys' table
    // orders them: both held move there and back, rounding and all.
    if (forward) move_forward(1.0);
    if (backward) move_forward(-1.0);
    if (leftward) move_left(1.0);
    if (rightward) move_left(-1.0);
    if (upward) move_up(1.0);
    if (downward) move_up(-1.0);
}

void move_forward(double steps) {
    ViewerState& s = viewer;
    s.cam_x += steps * (std::cos(rad(s.pitch)) * std::sin(rad(-s.yaw)) * s.step_x);
    s.cam_y += steps * (std::sin(rad(s.pitch)) * s.step_y);
    s.cam_z += steps * (std::cos(rad(s.pitch)) * std::cos(rad(-s.yaw)) * s.step_z);
}

void move_left(double steps) {
    ViewerState& s = viewer;
    s.cam_x += steps * (std::sin(rad(90.0 - s.yaw)) * s.step_x);
    s.cam_z += steps * (std::cos(rad(90.0 - s.yaw)) * s.step_z);
}

void move_up(double steps) { viewer.cam_y -= steps * (std::sin(PI / 2.0) * viewer.step_y); }
