#pragma once
// The one record of everything the viewer remembers between messages and
// frames. Every subsystem reads and writes its fields directly.

#include <cstddef>

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
