// The GL floor of polytree.exe: the viewer's window and GL context, and the
// viewer's exact call stream replayed from arrays (bench/floor_frames.h). The
// viewer's frame rate divided by this one's, measured in the same run, is how
// much of a frame the figure's own work takes. Options as for the viewer (B,
// L, G); always windowed; Esc or the close box quits.
#include <windows.h>

#include <cstddef>
#include <vector>

#include "bench/floor_frames.h"
#include "core/display_modes.h"
#include "core/options.h"
#include "platform/gl_window.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    const StartOptions options = read_options(command_line);
    const std::vector<Recording> frames = record_frames(options);
    const DisplayMode& mode = DISPLAY_MODES[options.mode_index];
    if (!open_view_window("PolyTree GL floor", mode.width, mode.height, mode.bits, false)) return 1;

    // The viewer's loop: a message when one waits, otherwise a frame.
    MSG message = {};
    std::size_t next = 0;
    for (;;) {
        const Pumped taken = take_message(message);
        if (taken == Pumped::quit) break;
        if (taken != Pumped::none) continue;
        if (take_press(keys::ESCAPE)) break;
        replay(frames[next]);
        next = (next + 1) % frames.size();
        SwapBuffers(gl_window.device_context);
    }
    close_view_window();
    return 0;
}
