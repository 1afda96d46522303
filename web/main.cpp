// polytree on a web page: the viewer in WebAssembly, drawing through WebGL 2
// into one canvas. The same option words, start-up question, keys, figure and
// help text as polytree.exe; the browser is the window system
// (platform/browser_window.h), and the page's dialogs (web/page_library.js)
// are its message boxes. What is left here makes it a program: the phases
// of its questions and help, its loop of animation frames, its exports.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <string>

#include "core/display_modes.h"
#include "core/options.h"
#include "core/view.h"
#include "core/viewer_state.h"
#include "platform/browser_canvas.h"
#include "platform/browser_window.h"
#include "render/figure_buffer.h"
#include "viewer/fallback.h"
#include "viewer/frame.h"
#include "viewer/idle_pass.h"
#include "viewer/input.h"
#include "viewer/texts.h"

// What the page's script does for the program (web/page_library.js).
extern "C" {
char* page_option_text();
int page_prefers_reduced_motion();
int page_can_fullscreen();
int page_is_fullscreen();
void page_request_fullscreen();
void page_exit_fullscreen();
void page_fit_canvas(int width, int height);
void page_ask(int question, const char* caption, const char* text);
void page_show_help(const char* caption, const char* text);
void page_context_lost(int lost);
void page_ended(const char* caption, const char* text);
void page_fault(const char* text);
}

namespace {

const char CANVAS[] = "#canvas";

// The questions the page asks, as page_ask and polytree_answer name them.
enum Question { START = 0, FALLBACK = 1 };

// Where the program is: only a running viewer has frames; a dialog open
// over it holds the loop, as the desktop's boxes block it.
enum class Phase { asking, running, help, ended };

struct Page {
    std::string options;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    FigureBuffer buffer;
    Phase phase = Phase::asking;
    bool loop_running = false;
    bool context_lost = false;
    int twist_steps = 0;   // frames the twist has moved on since the start
    int shown_frame = -1;  // the twist steps of the frame on screen
    View shown_view{};     // and its view
    std::string shown_view_text;
};

Page page;

void refit() {
    const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
    page_fit_canvas(mode.width, mode.height);
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(CANVAS, &width, &height);
    if (!page.context_lost) page.buffer.resize(width, height, viewer.scale);
}

// The window work of the key commands and the idle pass. The canvas and its
// context stay for the page's life: opening sizes the canvas and asks the
// browser for full screen or out of it, and never waits; a refusal comes
// later, to polytree_fullscreen_refused.
struct PageWindow {
    void close() {}

    bool open() {
        if (viewer.fullscreen && page_is_fullscreen() == 0) page_request_fullscreen();
        if (!viewer.fullscreen && page_is_fullscreen() != 0) page_exit_fullscreen();
        refit();
        return true;
    }

    // The browser shows the frame when the animation frame's callback returns.
    void swap_buffers() {}

    void show_help() {
        page.phase = Phase::help;
        page_show_help(HELP_CAPTION, HELP_TEXT);
    }
};

PageWindow window;

void draw() {
    if (page.context_lost) return;
    const bool moving_on = !viewer.paused;
    page.shown_view = viewer_view();
    draw_viewer_frame([](const ViewerFrame& frame) { page.buffer.draw_scene(frame.figure, frame.camera); });
    page.shown_frame = page.twist_steps;
    if (moving_on) ++page.twist_steps;
}

void end_viewer(const char* caption, const char* text) {
    page.phase = Phase::ended;
    if (page_is_fullscreen() != 0) page_exit_fullscreen();
    page_ended(caption, text);
}

EM_BOOL on_animation_frame(double, void*) {
    if (page.phase != Phase::running) {
        page.loop_running = false;
        return EM_FALSE;
    }
    // Opening never fails here: a refused full screen comes later.
    if (run_idle_pass(window, draw) == PassEnd::stop) end_viewer("", "");
    page.loop_running = page.phase == Phase::running;
    return page.loop_running ? EM_TRUE : EM_FALSE;
}

void run() {
    page.phase = Phase::running;
    if (!page.loop_running) {
        page.loop_running = true;
        emscripten_request_animation_frame_loop(on_animation_frame, nullptr);
    }
}

// A fresh viewer, as a new start of the program has: the options of the
// address, the question if the page can go full screen at all.
void start() {
    restart_viewer(page.options.c_str());
    // Motion a person asked their system to spare them starts paused.
    viewer.paused = page_prefers_reduced_motion() != 0;
    page.twist_steps = 0;
    page.shown_frame = -1;
    // The canvas takes its place behind the question, black until the first
    // frame.
    refit();
    if (page_can_fullscreen() != 0) {
        page.phase = Phase::asking;
        page_ask(START, texts::START_CAPTION, texts::START_QUESTION);
    } else {
        viewer.fullscreen = false;
        window.open();
        run();
    }
}

void lose_context() {
    page.context_lost = true;
    page.buffer.forget();
    page_context_lost(1);
}

void restore_context() {
    emscripten_webgl_make_context_current(page.context);
    if (!page.buffer.create()) {
        page_fault(page.buffer.why().c_str());
        return;
    }
    page.context_lost = false;
    page_context_lost(0);
    refit();
}

bool make_context() {
    page.context = make_page_context(CANVAS);
    if (page.context <= 0) {
        page_fault("This page draws with WebGL 2, which this browser does not offer or has turned off.");
        return false;
    }
    if (!page.buffer.create()) {
        page_fault(page.buffer.why().c_str());
        return false;
    }
    return true;
}

}  // namespace

extern "C" {

// The answer to a question of page_ask: yes is 1. It comes with the click or
// key press that gave it, which the browser needs to allow full screen.
EMSCRIPTEN_KEEPALIVE void polytree_answer(int question, int yes) {
    if (page.phase == Phase::ended) return;
    if (question == START) {
        if (yes == 0) viewer.fullscreen = false;
    } else if (!fallback_answered(yes != 0, end_viewer)) {
        return;
    }
    window.open();
    run();
}

EMSCRIPTEN_KEEPALIVE void polytree_fullscreen_refused() {
    if (page.phase != Phase::running && page.phase != Phase::help) return;
    page.phase = Phase::asking;
    page_ask(FALLBACK, texts::FALLBACK_CAPTION, texts::FALLBACK_QUESTION);
}

EMSCRIPTEN_KEEPALIVE void polytree_help_closed() {
    if (page.phase == Phase::help) run();
}

EMSCRIPTEN_KEEPALIVE void polytree_start_again() {
    if (page.phase == Phase::ended) start();
}

// The pointer at x, y in CSS pixels of the canvas, with its main button (a
// finger, a pen's tip) down or not.
EMSCRIPTEN_KEEPALIVE void polytree_pointer(int x, int y, int down) { on_pointer_move(x, y, down != 0); }

// For tests and pages that embed this one: the frame on screen.
EMSCRIPTEN_KEEPALIVE int polytree_frame() { return page.shown_frame; }

// The view of the frame on screen as text; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* polytree_view() {
    page.shown_view_text = write_view(page.shown_view);
    return page.shown_view_text.c_str();
}

EMSCRIPTEN_KEEPALIVE int polytree_segments() { return page.shown_frame < 0 ? 0 : page.buffer.segments(); }

}  // extern "C"

int main() {
    char* options = page_option_text();
    page.options = options;
    std::free(options);

    if (!make_context()) return 0;
    listen_to_browser(CANVAS, BrowserHandlers{refit, lose_context, restore_context});
    start();
    return 0;
}
