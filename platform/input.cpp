#include "platform/input.h"

#include "core/viewer_state.h"

namespace {

constexpr std::uintptr_t LEFT_BUTTON_FLAG = 0x0001;  // MK_LBUTTON

int low_word(std::uintptr_t value) { return static_cast<int>(value & 0xFFFFu); }
int high_word(std::uintptr_t value) { return static_cast<int>((value >> 16) & 0xFFFFu); }

void set_key(std::uintptr_t code, bool down) {
    if (code >= static_cast<std::uintptr_t>(KEY_COUNT)) return;
    viewer.key_down[code] = down;
}

}  // namespace

void on_key_down(std::uintptr_t wparam) { set_key(wparam, true); }

void on_key_up(std::uintptr_t wparam) { set_key(wparam, false); }

void on_activate(std::uintptr_t wparam) { viewer.window_active = high_word(wparam) == 0; }

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
