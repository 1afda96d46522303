#pragma once
// The one record of everything the viewer remembers between messages and
// frames. Every subsystem reads and writes its fields directly.

#include <cstddef>

#include "core/camera.h"

constexpr int KEY_COUNT = 256;
constexpr std::size_t CAPTION_SIZE = 35;

struct ViewerState {
    double scale;        // the scene's unit of length
    double cam_x;
    double cam_y;
    double cam_z;
    double step_x;       // movement per idle pass while a key is held
    double step_y;
    double step_z;
    double pitch;        // degrees, about x
    double yaw;          // degrees, about y
    double pitch_speed;  // degrees per idle pass
    double yaw_speed;
    double twist;        // radians added to every child direction
    bool paused;
    int levels;
    int branches;
    int mode_index;      // row of DISPLAY_MODES
    bool key_down[KEY_COUNT];     // held now, as the window last heard
    bool key_pressed[KEY_COUNT];  // pressed since the idle pass last acted on it
    bool window_active;
    bool fullscreen;
    int last_mouse_x;
    int last_mouse_y;
    char caption[CAPTION_SIZE];  // scrambled until init_viewer restores it
};

extern ViewerState viewer;

// Every field's start value, in one table: the record's values at program
// load, those init_viewer gives it and those of a restarted viewer all come
// from here. Distances are multiples of the scale, worked out from it once,
// here. The caption is not in it: only its scrambled form may reach the
// binary (viewer_state.cpp).
constexpr ViewerState start_values() {
    ViewerState s{};
    s.scale = START_SCALE;
    const Camera camera = start_camera(s.scale);
    s.cam_x = camera.x;
    s.cam_y = camera.y;
    s.cam_z = camera.z;
    s.step_x = s.step_y = s.step_z = s.scale * 0.05;
    s.pitch = camera.pitch;
    s.yaw = camera.yaw;
    s.pitch_speed = s.yaw_speed = 1.0;
    s.twist = 0.0;
    s.paused = false;
    s.levels = 7;
    s.branches = 3;
    s.mode_index = 2;  // 640 x 480
    s.window_active = true;
    s.fullscreen = true;
    s.last_mouse_x = s.last_mouse_y = 0;
    return s;
}

inline constexpr ViewerState VIEWER_START = start_values();
