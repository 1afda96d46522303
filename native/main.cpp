// polytree: the viewer as a native program on SDL2. The same option words,
// start-up question, keys, figure and exit codes as polytree.exe; only the
// window system differs. Beyond them it keeps views: its command line may
// be a view to open, Ctrl+C copies the view on screen, and the view last on
// screen is printed when it ends.
#include <cstdio>
#include <string>

#include "core/display_modes.h"
#include "core/options.h"
#include "core/view.h"
#include "core/viewer_state.h"
#include "native/help_text.h"
#include "platform/sdl_window.h"
#include "platform/stop_signals.h"
#include "viewer/frame.h"
#include "viewer/idle_pass.h"
#include "viewer/texts.h"
#include "viewer/worker_frame.h"

namespace {

constexpr int EXIT_OK = 0;
constexpr int EXIT_WINDOW_FAILED = 1;
constexpr int EXIT_BAD_VIEW = 2;

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

// The viewer opened on the view of its command line (option words alone
// give the start view) until it is quit or a signal asks it to stop. Its
// exit code; frames keeps the frame last on screen.
int run(const std::string& command_line, const View& view, FrameSequence& frames) {
    // The view's words are none of the option words init_viewer acts on.
    init_viewer(command_line.c_str());
    set_viewer_view(view);
    if (!start_sdl_video()) return EXIT_WINDOW_FAILED;

    if (!ask_yes_no(texts::START_CAPTION, texts::START_QUESTION)) viewer.fullscreen = false;
    if (stop_signal() != 0) return EXIT_OK;

    ViewWindow window;
    if (!window.open()) return EXIT_WINDOW_FAILED;
    // Its thread is stopped and joined on every way out of run.
    FrameWorker worker;
    const auto draw = [&worker, &frames] {
        return draw_viewer_frame(frames, [&worker](const FrameSequence& f) { draw_current(worker, f); });
    };

    while (stop_signal() == 0) {
        SDL_Event event;
        bool quit = false;
        while (SDL_PollEvent(&event)) {
            if (is_copy_command(event)) copy_to_clipboard(write_view(frames.shown()));
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
    const std::string command_line = join_words(argv + 1, argc - 1);
    View view{};
    std::string error;
    if (!read_view(command_line, view, error)) {
        std::fprintf(stderr, "polytree: %s\n", error.c_str());
        return EXIT_BAD_VIEW;
    }
    FrameSequence frames(view);
    const int code = run(command_line, view, frames);
    SDL_Quit();
    std::printf("%s\n", write_view(frames.shown()).c_str());
    std::fflush(stdout);
    if (const int signal_number = stop_signal()) end_by_signal(signal_number);
    return code;
}
