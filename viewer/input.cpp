#include "viewer/input.h"

#include "core/viewer_state.h"

namespace {

constexpr std::uintptr_t LEFT_BUTTON_FLAG = 0x0001;  // MK_LBUTTON
constexpr int INACTIVE = 0;                          // WA_INACTIVE

int low_word(std::uintptr_t value) { return static_cast<int>(value & 0xFFFFu); }
int high_word(std::uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }

bool is_key(std::uintptr_t code) { return code < static_cast<std::uintptr_t>(KEY_COUNT); }

}  // namespace

void on_key_down(std::uintptr_t wparam) {
    if (!is_key(wparam)) return;
    viewer.key_down[wparam] = true;
    viewer.key_pressed[wparam] = true;
}

void on_key_up(std::uintptr_t wparam) {
    if (is_key(wparam)) viewer.key_down[wparam] = false;
}

void on_activate(std::uintptr_t wparam) {
    viewer.window_active = high_word(wparam) == 0;
    if (low_word(wparam) == INACTIVE) release_held_keys();
}

void release_held_keys() {
    for (bool& held : viewer.key_down) held = false;
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

void on_mouse_move(std::uintptr_t wparam, std::intptr_t lparam) {
    const std::uintptr_t bits = static_cast<std::uintptr_t>(lparam);
    const int x = low_word(bits);
    const int y = high_word(bits);
    if ((wparam & LEFT_BUTTON_FLAG) != 0) {
        viewer.pitch = viewer.pitch - (viewer.last_mouse_y - y) * 0.5;
        viewer.yaw = viewer.yaw - (viewer.last_mouse_x - x) * 0.5;
    }
    viewer.last_mouse_x = x;
    viewer.last_mouse_y = y;
}

ClientSize client_size_of(std::intptr_t lparam) {
    const std::uintptr_t bits = static_cast<std::uintptr_t>(lparam);
    return ClientSize{low_word(bits), high_word(bits)};
}
