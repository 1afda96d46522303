// polytree-xsaver: the turning figure as an XScreenSaver hack, the Windows
// saver's frame (viewer/saver_frame.h) drawn into the window XScreenSaver
// gives it, one figure per window.
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/glx_window.h"
#include "platform/stop_signals.h"
#include "render/math_constants.h"
#include "viewer/saver_frame.h"
#include "xsaver/exit_codes.h"
#include "xsaver/hack_options.h"

#ifndef POLYTREE_VERSION
#define POLYTREE_VERSION "unknown"
#endif

namespace {

using Clock = std::chrono::steady_clock;

constexpr int FPS_MARGIN = 10;  // pixels from the window's top left
constexpr int FPS_LINE = 13;    // the fixed font's height

// Frames per second over the last second or so, as text.
class FrameRate {
public:
    const std::string& text(double now) {
        ++frames_;
        if (now - since_ >= 1.0) {
            char line[32];
            std::snprintf(line, sizeof(line), "FPS: %.1f", frames_ / (now - since_));
            text_ = line;
            frames_ = 0;
            since_ = now;
        }
        return text_;
    }

private:
    double since_ = 0.0;
    int frames_ = 0;
    std::string text_ = "FPS: -";
};

double seconds_between(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// The whole window, at its own aspect and pixels: lines stay one pixel wide
// on a monitor as in the small preview.
std::vector<Viewport> whole(const GlxWindow& window) { return {{0, 0, window.width(), window.height()}}; }

// Takes the window's events for the seconds between two frames: false when
// the hack ends (its window gone or closed, Esc or Q in a window of its own,
// a stop signal).
bool rest(GlxWindow& window, SaverFrame& frame, double seconds) {
    const Clock::time_point until =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    for (;;) {
        GlxEvent event;
        while (window.next_event(event)) {
            switch (event.kind) {
                case GlxEvent::Kind::resized:
                    frame.reshape(whole(window));
                    break;
                case GlxEvent::Kind::key:
                    if (event.key == XK_Escape || event.key == XK_q) return false;
                    break;
                case GlxEvent::Kind::close_box:
                case GlxEvent::Kind::gone:
                    return false;
            }
        }
        if (stop_signal() != 0) return false;
        const double left = seconds_between(Clock::now(), until);
        if (left <= 0.0) return true;
        window.wait(left);
    }
}

int run(const HackOptions& options) {
    GlxWindow window;
    if (!window.open(options.target, "PolyTree")) {
        std::fprintf(stderr, "polytree-xsaver: %s\n", window.why().c_str());
        return EXIT_CANNOT_DRAW;
    }
    SaverFrame frame(options.settings);
    if (options.frozen) frame.hold(options.frozen_degrees * ONE_DEGREE);
    frame.reshape(whole(window));
    FrameRate rate;
    const Clock::time_point start = Clock::now();
    do {
        const double now = seconds_between(start, Clock::now());
        frame.draw(now);
        if (options.show_fps) window.draw_text(FPS_MARGIN, window.height() - FPS_MARGIN - FPS_LINE, rate.text(now));
        window.show();
    } while (rest(window, frame, static_cast<double>(options.delay) * 1e-6));
    return EXIT_OK;
}

}  // namespace

int main(int argc, char** argv) {
    watch_stop_signals();
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    HackOptions options;
    std::string message;
    switch (read_hack_options(arguments, std::getenv("XSCREENSAVER_WINDOW"), options, message)) {
        case HackCommand::help:
            std::fputs(hack_usage().c_str(), stdout);
            return EXIT_OK;
        case HackCommand::version:
            std::puts("polytree-xsaver " POLYTREE_VERSION);
            return EXIT_OK;
        case HackCommand::completion:
            std::fputs(completion_script(options.shell, "polytree-xsaver", hack_flags()).c_str(), stdout);
            return EXIT_OK;
        case HackCommand::bad:
            std::fprintf(stderr, "polytree-xsaver: %s (see -help)\n", message.c_str());
            return EXIT_BAD_ARGUMENTS;
        case HackCommand::run:
            break;
    }
    if (!options.display.empty()) setenv("DISPLAY", options.display.c_str(), 1);
    const int exit_code = run(options);
    // The daemon ends a hack with SIGTERM: it ends by it, its window let go.
    if (stop_signal() != 0) end_by_signal(stop_signal());
    return exit_code;
}
