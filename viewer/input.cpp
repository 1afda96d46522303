#include "viewer/input.h"

#include "core/viewer_state.h"

namespace {

bool is_key(int code) { return code >= 0 && code < KEY_COUNT; }

}  // namespace

void on_key_down(int code) {
    if (!is_key(code)) return;
    viewer.key_down[code] = true;
    viewer.key_pressed[code] = true;
}

void on_key_up(int code) {
    if (is_key(code)) viewer.key_down[code] = false;
}

void release_held_keys() {
    for (bool& held : viewer.key_down) held = false;
}

void on_minimised(bool minimised) { viewer.window_active = !minimised; }

void on_pointer_move(int x, int y, bool left_button) {
    if (left_button) {
        // In 64 bits: a window system's coordinates may lie anywhere in an
        // int, and their difference must not overflow.
        viewer.pitch = viewer.pitch - static_cast<double>(static_cast<long long>(viewer.last_mouse_y) - y) * 0.5;
        viewer.yaw = viewer.yaw - static_cast<double>(static_cast<long long>(viewer.last_mouse_x) - x) * 0.5;
    }
    viewer.last_mouse_x = x;
    viewer.last_mouse_y = y;
}

bool take_press(int code) {
    const bool pressed = viewer.key_pressed[code];
    viewer.key_pressed[code] = false;
    return pressed;
}

bool take_held_or_press(int code) {
    const bool pressed = take_press(code);
    return viewer.key_down[code] || pressed;
}
