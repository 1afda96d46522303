#include "platform/sdl_window.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "core/viewer_state.h"
#include "platform/sdl_keys.h"
#include "platform/stop_signals.h"
#include "render/scene.h"
#include "viewer/fallback.h"
#include "viewer/input.h"
#include "viewer/texts.h"
#include "viewer/viewer_scene.h"

namespace {

// A message box closes on Return or Esc, and a user who holds the key past
// the X server's auto-repeat delay still holds it when the viewer's window
// gets the focus back: SDL reports it there as a fresh press, and the Esc
// that answered No would quit the viewer. A press of a box key that comes
// just after a box closed, just after the window next gained the focus, or
// just after the first frame since then (a heavy frame holds the press back
// in the queue) is that held key: it and its repeats are dropped until it
// comes up. A person's own next press comes far later than the grace.
constexpr Uint32 BOX_KEY_GRACE_MS = 250;

struct BoxKeys {
    bool awaiting_focus;
    bool awaiting_frame;
    Uint32 deadline;
    bool held_return;
    bool held_escape;
};

using Clock = std::chrono::steady_clock;

// A driver can take a swap interval and still not wait in its swaps: this
// many swaps in a row within half a refresh of the one before say so.
constexpr int QUICK_SWAPS = 3;
constexpr int REFRESH_UNKNOWN_HZ = 60;

struct FramePace {
    Pacing pacing;
    bool driver_waits;  // took a swap interval, and its swaps have kept it so far
    int quick_swaps;    // in a row, within half a refresh of the one before
    Clock::duration period;
    Clock::time_point last_swap;
    Clock::time_point due;  // the earliest the next frame may be shown
};

// The viewer's window, its GL context, its frames' pace, and what the boxes
// left of the keys.
struct SdlWindow {
    SDL_Window* window;
    SDL_GLContext context;
    FramePace pace;
    BoxKeys box_keys;
};

SdlWindow sdl = {};

void after_box() {
    sdl.box_keys.awaiting_focus = true;
    sdl.box_keys.awaiting_frame = false;
    sdl.box_keys.deadline = SDL_GetTicks() + BOX_KEY_GRACE_MS;
}

// True for an event of a key still held from the box that just closed.
bool held_from_box(const SDL_KeyboardEvent& event) {
    BoxKeys& box_keys = sdl.box_keys;
    bool* held = event.keysym.sym == SDLK_RETURN   ? &box_keys.held_return
                 : event.keysym.sym == SDLK_ESCAPE ? &box_keys.held_escape
                                                   : nullptr;
    if (held == nullptr) return false;
    if (event.type == SDL_KEYUP) {
        const bool was_held = *held;
        *held = false;
        return was_held;
    }
    if (!SDL_TICKS_PASSED(event.timestamp, box_keys.deadline)) *held = true;
    return *held;
}

void report_error(const char* text) {
    std::fprintf(stderr, "polytree: %s (%s)\n", text, SDL_GetError());
    show_message(SDL_MESSAGEBOX_ERROR, texts::ERROR_CAPTION, text);
}

enum class Opening { opened, refused, failed };

Opening fail_opening(const char* text) {
    report_error(text);
    close_sdl_window();
    return Opening::failed;
}

// The display mode of exactly that size, as SDL would switch to it.
bool exact_mode(int width, int height, SDL_DisplayMode* mode) {
    const SDL_DisplayMode wanted = {0, width, height, 0, nullptr};
    return SDL_GetClosestDisplayMode(0, &wanted, mode) != nullptr && mode->w == width && mode->h == height;
}

void tell_error(const char* caption, const char* text) { show_message(SDL_MESSAGEBOX_ERROR, caption, text); }

// For the context just made current.
void start_pacing(Pacing pacing) {
    FramePace& pace = sdl.pace;
    pace = FramePace{};
    pace.pacing = pacing;
    if (pacing == Pacing::none) {
        // Refused where the driver has no swap control (Xvfb's): its swaps
        // do not wait there anyway.
        SDL_GL_SetSwapInterval(0);
        return;
    }
    pace.driver_waits = SDL_GL_SetSwapInterval(-1) == 0 || SDL_GL_SetSwapInterval(1) == 0;
    SDL_DisplayMode mode = {};
    const int display = SDL_GetWindowDisplayIndex(sdl.window);
    const bool known = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 && mode.refresh_rate > 0;
    const int hertz = known ? mode.refresh_rate : REFRESH_UNKNOWN_HZ;
    pace.period = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / hertz));
    pace.last_swap = pace.due = Clock::now();
}

// Called after each swap: the wait the driver's swaps did not do.
void keep_pace() {
    FramePace& pace = sdl.pace;
    if (pace.pacing == Pacing::none) return;
    const Clock::time_point now = Clock::now();
    if (pace.driver_waits) {
        pace.quick_swaps = now - pace.last_swap < pace.period / 2 ? pace.quick_swaps + 1 : 0;
        pace.last_swap = now;
        if (pace.quick_swaps < QUICK_SWAPS) return;
        pace.driver_waits = false;
        pace.due = now;
    }
    // One refresh after this frame's turn; a frame that came late (a slow
    // figure, a box that held the loop) starts the count again from now
    // rather than hurrying the next ones to catch up.
    pace.due = std::max(pace.due + pace.period, now);
    std::this_thread::sleep_until(pace.due);
}

void reproject() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(sdl.window, &width, &height);
    resize_view(width, height);
}

void on_window_event(const SDL_WindowEvent& event) {
    switch (event.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
            release_held_keys();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            if (sdl.box_keys.awaiting_focus) {
                sdl.box_keys.awaiting_focus = false;
                sdl.box_keys.awaiting_frame = true;
                sdl.box_keys.deadline = event.timestamp + BOX_KEY_GRACE_MS;
            }
            break;
        case SDL_WINDOWEVENT_MINIMIZED:
            on_minimised(true);
            break;
        case SDL_WINDOWEVENT_RESTORED:
        case SDL_WINDOWEVENT_SHOWN:
        case SDL_WINDOWEVENT_MAXIMIZED:
            on_minimised(false);
            break;
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            if (sdl.window != nullptr && event.windowID == SDL_GetWindowID(sdl.window)) reproject();
            break;
        default:
            break;
    }
}

void on_key(const SDL_KeyboardEvent& event) {
    if (held_from_box(event)) return;
    const int code = viewer_key_of(event.keysym.sym);
    if (code < 0) return;
    if (event.type == SDL_KEYUP) {
        on_key_up(code);
    } else {
        on_key_down(code);
    }
}

}  // namespace

bool start_sdl_video() {
    // The program takes its signals itself (platform/stop_signals.h): SDL's
    // handlers would turn them into a quit event that waits behind a box.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_Init(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "polytree: no display to open a window on (%s)\n", SDL_GetError());
        return false;
    }
    // Without a display SDL falls back to drivers that draw nowhere a person
    // can see (offscreen, dummy): taken only when asked for by name.
    const char* driver = SDL_GetCurrentVideoDriver();
    const bool unseen =
        driver == nullptr || std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0;
    if (unseen && std::getenv("SDL_VIDEODRIVER") == nullptr) {
        std::fprintf(stderr,
                     "polytree: no display to open a window on (DISPLAY and WAYLAND_DISPLAY unset or unusable)\n");
        SDL_Quit();
        return false;
    }
    SDL_DisableScreenSaver();
    return true;
}

bool ask_yes_no(const char* caption, const char* text) {
    // A program asked to stop asks nothing more: the answer would not count.
    if (stop_signal() != 0) return false;
    const SDL_MessageBoxButtonData buttons[] = {
        {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
        {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
    };
    const SDL_MessageBoxData box = {SDL_MESSAGEBOX_WARNING, nullptr, caption, text, 2, buttons, nullptr};
    int answer = 0;
    if (SDL_ShowMessageBox(&box, &answer) != 0) {
        if (stop_signal() == 0) {
            std::fprintf(stderr, "polytree: could not ask \"%s\" (%s): taken as No\n", text, SDL_GetError());
        }
        answer = 0;
    }
    after_box();
    return answer == 1;
}

void show_message(Uint32 flags, const char* caption, const char* text) {
    if (stop_signal() != 0) return;
    const SDL_MessageBoxButtonData button = {
        SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"};
    const SDL_MessageBoxData box = {flags, sdl.window, caption, text, 1, &button, nullptr};
    if (SDL_ShowMessageBox(&box, nullptr) != 0 && stop_signal() == 0) {
        std::fprintf(stderr, "polytree: %s: %s\n", caption, text);
    }
    after_box();
}

namespace {

// One try at the window in the mode viewer.fullscreen asks for. A refused
// full-screen mode leaves nothing open, so that the fallback question shows
// over the desktop; a failure has been told.
Opening try_opening(const WindowRequest& request) {
    SDL_DisplayMode mode = {};
    if (viewer.fullscreen && !exact_mode(request.mode_width, request.mode_height, &mode)) return Opening::refused;
    const int width = viewer.fullscreen ? request.mode_width : request.width;
    const int height = viewer.fullscreen ? request.mode_height : request.height;

    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);

    const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI;
    sdl.window =
        SDL_CreateWindow(request.caption, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height, flags);
    if (sdl.window == nullptr) return fail_opening("Window Creation Error.");

    if (viewer.fullscreen) {
        if (SDL_SetWindowDisplayMode(sdl.window, &mode) != 0 ||
            SDL_SetWindowFullscreen(sdl.window, SDL_WINDOW_FULLSCREEN) != 0) {
            close_sdl_window();
            return Opening::refused;
        }
        SDL_ShowCursor(SDL_DISABLE);
    }

    sdl.context = SDL_GL_CreateContext(sdl.window);
    if (sdl.context == nullptr) return fail_opening("Can't Create A GL Rendering Context.");
    if (SDL_GL_MakeCurrent(sdl.window, sdl.context) != 0) {
        return fail_opening("Can't Activate The GL Rendering Context.");
    }
    start_pacing(request.pacing);

    on_minimised(false);
    reproject();
    if (!setup_gl_state()) return fail_opening("Initialization Failed.");
    return Opening::opened;
}

}  // namespace

bool open_sdl_window(const WindowRequest& request) {
    viewer.fullscreen = request.fullscreen;
    Opening opening = try_opening(request);
    // Yes clears viewer.fullscreen: the second try is a window, never refused.
    if (opening == Opening::refused && fall_back_to_window(ask_yes_no, tell_error)) {
        opening = try_opening(request);
    }
    return opening == Opening::opened;
}

void close_sdl_window() {
    if (sdl.context != nullptr) {
        SDL_GL_MakeCurrent(sdl.window, nullptr);
        SDL_GL_DeleteContext(sdl.context);
        sdl.context = nullptr;
    }
    if (sdl.window != nullptr) {
        SDL_DestroyWindow(sdl.window);
        sdl.window = nullptr;
    }
    SDL_ShowCursor(SDL_ENABLE);
}

void swap_sdl_window() {
    SDL_GL_SwapWindow(sdl.window);
    keep_pace();
    if (sdl.box_keys.awaiting_frame) {
        sdl.box_keys.awaiting_frame = false;
        sdl.box_keys.deadline = SDL_GetTicks() + BOX_KEY_GRACE_MS;
    }
}

bool handle_sdl_event(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT:
            return false;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            on_key(event.key);
            break;
        case SDL_WINDOWEVENT:
            on_window_event(event.window);
            break;
        case SDL_MOUSEMOTION:
            on_pointer_move(event.motion.x, event.motion.y, (event.motion.state & SDL_BUTTON_LMASK) != 0);
            break;
        default:
            break;
    }
    return true;
}

bool is_copy_command(const SDL_Event& event) {
    if (event.type != SDL_KEYDOWN || event.key.repeat != 0) return false;
    const SDL_Keysym& key = event.key.keysym;
    return (key.mod & KMOD_CTRL) != 0 && (key.sym == SDLK_c || key.sym == SDLK_INSERT);
}

bool copy_to_clipboard(const std::string& text) {
    if (SDL_SetClipboardText(text.c_str()) == 0) return true;
    std::fprintf(stderr, "polytree: could not copy the view to the clipboard (%s)\n", SDL_GetError());
    return false;
}
