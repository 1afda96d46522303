#pragma once
// The idle pass of every viewer program: what runs once the window system's
// events are drained. Free of any window system and of any way of drawing:
// the window work goes to the same Window type as the key commands', which
// here also needs
//   void swap_buffers();
// and the frame is drawn by the caller's draw (polytree.exe and the native
// viewer hand over draw_frame; a program that draws another way, its own).

#include "core/viewer_state.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/key_commands.h"

enum class PassEnd {
    go_on,          // the loop turns again
    stop,           // Esc: close the window, exit normally
    window_failed,  // a reopening failed: exit at once, the user has been told
};

// Draws one frame unless the window is minimised, then turns the keys pressed
// and held into commands. A stop asked for here still lets this pass's
// commands run. Esc pressed while minimised is dropped, not kept for later:
// restoring the window must not quit it.
template <class Window, class Draw>
PassEnd run_idle_pass(Window& window, Draw&& draw) {
    const bool escape = take_press(keys::ESCAPE);
    bool stop = false;
    if (viewer.window_active) {
        if (escape) {
            stop = true;
        } else {
            draw();
            window.swap_buffers();
        }
    }
    if (!run_key_commands(window)) return PassEnd::window_failed;
    return stop ? PassEnd::stop : PassEnd::go_on;
}
