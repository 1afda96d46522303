// polytree: the viewer as a native program on SDL2. The same option words,
// start-up question, keys, figure and exit codes as polytree.exe; only the
// window system differs. Beyond them it keeps views: its command line may
// be a view to open, Ctrl+C copies the view on screen, and the view last on
// screen is printed when it ends. It takes flags besides its words
// (native/viewer_args.h), says on stderr what of its words it passes over,
// and shows its frames no faster than the display refreshes.
#include <cstdio>
#include <string>
#include <vector>

#include "core/display_modes.h"
#include "core/options.h"
#include "core/view.h"
#include "core/view_warnings.h"
#include "core/viewer_state.h"
#include "native/exit_codes.h"
#include "native/help_text.h"
#include "native/viewer_args.h"
#include "platform/sdl_window.h"
#include "platform/stop_signals.h"
#include "viewer/frame.h"
#include "viewer/idle_pass.h"
#include "viewer/texts.h"
#include "viewer/worker_frame.h"

#ifndef POLYTREE_VERSION
#define POLYTREE_VERSION "unknown"
#endif

namespace {

int mode_area(int row) { return DISPLAY_MODES[row].width * DISPLAY_MODES[row].height; }

// The window work the key commands and the idle pass ask for.
struct ViewWindow {
    int width;  // --size's, until + or - goes on to a display mode; 0: the mode's
    int height;
    Pacing pacing;

    bool open() {
        const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
        const bool own_size = width > 0;
        const WindowRequest request = {viewer.caption, own_size ? width : mode.width, own_size ? height : mode.height,
                                       mode.width,     mode.height,                  viewer.fullscreen,
                                       pacing};
        return open_sdl_window(request);
    }

    void close() { close_sdl_window(); }

    void swap_buffers() { swap_sdl_window(); }

    void show_help() { show_message(SDL_MESSAGEBOX_INFORMATION, HELP_CAPTION, native_help_text().c_str()); }

    // A window of its own size is no row of the display modes: + goes on to
    // the smallest mode larger than it, - to the largest smaller (by area,
    // round from the last to the first as the rows go), by putting the row
    // before (or after) that one where the key commands step from. Full
    // screen shows a mode's own row. Either way the window has its mode's
    // size from then on.
    void before_mode_keys() {
        const bool larger = viewer.key_pressed[keys::ADD] || viewer.key_pressed[keys::OEM_PLUS];
        const bool smaller = viewer.key_pressed[keys::SUBTRACT] || viewer.key_pressed[keys::OEM_MINUS];
        if (width == 0 || !(larger || smaller)) return;
        if (!viewer.fullscreen) {
            const int area = width * height;
            int above = 0;
            while (above < DISPLAY_MODE_COUNT && mode_area(above) <= area) ++above;
            int below = DISPLAY_MODE_COUNT - 1;
            while (below >= 0 && mode_area(below) >= area) --below;
            viewer.mode_index = larger ? previous_mode_index(above % DISPLAY_MODE_COUNT)
                                       : next_mode_index(below < 0 ? DISPLAY_MODE_COUNT - 1 : below);
        }
        width = height = 0;
    }
};

// The viewer opened on the view of its command line (option words alone
// give the start view) until it is quit or a signal asks it to stop. Its
// exit code; frames keeps the frame last on screen.
int run(const ViewerArgs& args, const View& view, FrameSequence& frames) {
    // The view's words are none of the option words init_viewer acts on.
    init_viewer(args.words.c_str());
    set_viewer_view(view);
    if (!start_sdl_video()) return EXIT_WINDOW_FAILED;

    if (args.start == StartChoice::ask) {
        if (!ask_yes_no(texts::START_CAPTION, texts::START_QUESTION)) viewer.fullscreen = false;
    } else {
        viewer.fullscreen = args.start == StartChoice::fullscreen;
    }
    if (stop_signal() != 0) return EXIT_OK;

    ViewWindow window = {args.width, args.height, args.vsync ? Pacing::display : Pacing::none};
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

        window.before_mode_keys();
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
    ViewerArgs args;
    std::string message;
    switch (read_viewer_args(std::vector<std::string>(argv + 1, argv + argc), args, message)) {
        case ArgsCommand::help:
            std::fputs(viewer_usage().c_str(), stdout);
            return EXIT_OK;
        case ArgsCommand::version:
            std::puts("polytree " POLYTREE_VERSION);
            return EXIT_OK;
        case ArgsCommand::completion:
            std::fputs(completion_script(args.shell, "polytree", viewer_flags()).c_str(), stdout);
            return EXIT_OK;
        case ArgsCommand::bad:
            std::fprintf(stderr, "polytree: %s\n", message.c_str());
            return EXIT_BAD_ARGUMENTS;
        case ArgsCommand::run:
            break;
    }
    View view{};
    std::string error;
    if (!read_view(args.words, view, error)) {
        std::fprintf(stderr, "polytree: %s\n", error.c_str());
        return EXIT_BAD_ARGUMENTS;
    }
    for (const std::string& line : view_warnings(args.words)) {
        std::fprintf(stderr, "polytree: warning: %s\n", line.c_str());
    }
    FrameSequence frames(view);
    const int code = run(args, view, frames);
    SDL_Quit();
    std::printf("%s\n", write_view(frames.shown()).c_str());
    std::fflush(stdout);
    if (const int signal_number = stop_signal()) end_by_signal(signal_number);
    return code;
}
