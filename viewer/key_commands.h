#pragma once
// The keyboard commands of one idle pass, in their fixed order. Free of
// Win32: the window work is handed to a Window type with
//   void close();   bool open();   void show_help();
// so the order and the state changes can be checked on their own.

#include "core/display_modes.h"
#include "core/viewer_state.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/navigation.h"

inline int next_mode_index(int index) { return (index + 1) % DISPLAY_MODE_COUNT; }

inline int previous_mode_index(int index) {
    const int previous = index - 1;
    return previous < 0 ? DISPLAY_MODE_COUNT - 1 : previous;
}

// Runs the commands whose keys were pressed since the last pass: one press,
// one command, however short the tap; auto-repeat presses again while the
// key is held. Each command takes only its own key's press, so a press that
// arrives during the pass (in the help box, say) is acted on in the next.
// Returns false when reopening the window failed; the commands after it are
// then not run.
template <class Window>
bool run_key_commands(Window& window) {
    if (take_press(keys::F12)) {
        window.close();
        viewer.fullscreen = !viewer.fullscreen;
        if (!window.open()) return false;
    }
    if (take_press(keys::F1)) window.show_help();

    navigate_camera();

    const int mode_keys[][2] = {
        {keys::ADD, +1},
        {keys::SUBTRACT, -1},
        {keys::OEM_PLUS, +1},
        {keys::OEM_MINUS, -1},
    };
    for (const auto& key : mode_keys) {
        if (!take_press(key[0])) continue;
        window.close();
        viewer.mode_index = key[1] > 0 ? next_mode_index(viewer.mode_index) : previous_mode_index(viewer.mode_index);
        if (!window.open()) return false;
    }

    if (take_press(keys::SPACE)) viewer.paused = !viewer.paused;
    return true;
}
