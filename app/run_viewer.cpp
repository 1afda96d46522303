#include "app/run_viewer.h"

#include "app/help_dialog.h"
#include "core/display_modes.h"
#include "core/options.h"
#include "core/viewer_state.h"
#include "platform/gl_window.h"
#include "viewer/idle_pass.h"
#include "viewer/texts.h"
#include "viewer/viewer_scene.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_WINDOW_FAILED = 1;

// The window work the key commands ask for, on the real window layer.
struct ViewWindow {
    HINSTANCE instance;

    bool open() {
        const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
        return open_view_window(viewer.caption, mode.width, mode.height, mode.bits, viewer.fullscreen);
    }

    void close() { close_view_window(); }

    void swap_buffers() { SwapBuffers(gl_window.device_context); }

    void show_help() {
        DialogBoxParamA(instance, MAKEINTRESOURCEA(HELP_DIALOG_ID), gl_window.window, help_dialog_proc, 0);
    }
};

}  // namespace

int run_viewer(HINSTANCE instance, const char* option_text) {
    init_viewer(option_text);

    if (MessageBoxA(nullptr, texts::START_QUESTION, texts::START_CAPTION, MB_YESNO | MB_ICONQUESTION) == IDNO) {
        viewer.fullscreen = false;
    }

    ViewWindow window{instance};
    if (!window.open()) return EXIT_WINDOW_FAILED;

    MSG message = {};
    bool stop = false;
    while (!stop) {
        const Pumped taken = take_message(message);
        if (taken == Pumped::quit) stop = true;
        if (taken != Pumped::none) continue;

        const PassEnd end = run_idle_pass(window, draw_frame);
        if (end == PassEnd::window_failed) return EXIT_WINDOW_FAILED;
        if (end == PassEnd::stop) stop = true;
    }

    close_view_window();
    // Both ways out, Esc and a quit message, are a normal end. The last
    // message's parameter would often be Esc's own key code (27).
    return EXIT_OK;
}
