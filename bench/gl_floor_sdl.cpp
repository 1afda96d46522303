// The GL floor of the native viewer: its SDL window and GL context, the same
// swap settings and loop, and the viewer's call stream replayed from arrays
// (bench/floor_frames.h). Options as for the viewer (B, L, G); always
// windowed, no question; Esc or the close box quits. With --arrays it
// replays the figure's arrays with one glDrawArrays a frame instead: the
// floor of a viewer drawing from arrays.
#include <cstddef>
#include <cstring>
#include <vector>

#include "bench/floor_frames.h"
#include "core/display_modes.h"
#include "core/options.h"
#include "platform/sdl_window.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"

namespace {

template <class Frame>
int run(const StartOptions& options) {
    const std::vector<Frame> frames = record_frames<Frame>(options);
    if (!start_sdl_video()) return 1;
    const DisplayMode& mode = DISPLAY_MODES[options.mode_index];
    const WindowRequest request = {"PolyTree GL floor", mode.width, mode.height, mode.width, mode.height, false,
                                   Pacing::none};
    if (!open_sdl_window(request)) {
        SDL_Quit();
        return 1;
    }

    // The viewer's loop: the events drained, then a frame.
    bool stop = false;
    std::size_t next = 0;
    while (!stop) {
        SDL_Event event;
        while (SDL_PollEvent(&event)) {
            if (!handle_sdl_event(event)) stop = true;
        }
        if (take_press(keys::ESCAPE)) stop = true;
        replay(frames[next]);
        next = (next + 1) % frames.size();
        swap_sdl_window();
    }
    close_sdl_window();
    SDL_Quit();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const bool arrays = argc > 1 && std::strcmp(argv[1], "--arrays") == 0;
    const int first = arrays ? 2 : 1;
    const StartOptions options = read_options(join_words(argv + first, argc - first).c_str());
    return arrays ? run<FigureArrays>(options) : run<Recording>(options);
}
