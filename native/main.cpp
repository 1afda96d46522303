// polytree: the viewer as a native program on SDL2. The same option words,
// start-up question, keys, figure and exit codes as polytree.exe; only the
// window system differs.
#include <string>

#include "core/display_modes.h"
#include "core/options.h"
#include "core/viewer_state.h"
#include "native/help_text.h"
#include "platform/sdl_window.h"
#include "platform/stop_signals.h"
#include "viewer/idle_pass.h"
#include "viewer/texts.h"
#include "viewer/worker_frame.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_WINDOW_FAILED = 1;

// The window work the key commands and the idle pass ask for.
struct ViewWindow {
    bool open() {
        const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
        return open_sdl_window(viewer.caption, mode.width, mode.height, viewer.fullscreen);
    }

    void close() { close_sdl_window(); }

    void swap_buffers() { swap_sdl_window(); }

    void show_help() {
        show_message(SDL_MESSAGEBOX_INFORMATION, HELP_CAPTION, help_text_for_display(HELP_TEXT).c_str());
    }
};

// The viewer until it is quit or a signal asks it to stop. Its exit code.
int run(const std::string& options) {
    init_viewer(options.c_str());
    if (!start_sdl_video()) return EXIT_WINDOW_FAILED;

    if (!ask_yes_no(texts::START_CAPTION, texts::START_QUESTION)) viewer.fullscreen = false;
    if (stop_signal() != 0) return EXIT_OK;

    ViewWindow window;
    if (!window.open()) return EXIT_WINDOW_FAILED;
    // Its thread is stopped and joined on every way out of run.
    FrameWorker worker;
    const auto draw = [&worker] { return draw_frame(worker); };

    while (stop_signal() == 0) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event)) {
            if (!handle_sdl_event(event)) quit = true;
        }
        if (quit) break;

        const PassEnd end = run_idle_pass(window, draw);
        if (end == PassEnd::window_failed) return EXIT_WINDOW_FAILED;
        if (end == PassEnd::stop) break;
    }
    window.close();
    return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
    watch_stop_signals();
    const int code = run(join_words(argv + 1, argc - 1));
    SDL_Quit();
    if (const int signal_number = stop_signal()) end_by_signal(signal_number);
    return code;
}
