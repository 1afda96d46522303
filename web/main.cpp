// polytree on a web page: the viewer in WebAssembly, drawing through WebGL 2
// into one canvas. The same option words, start-up question, keys, figure and
// help text as polytree.exe; the browser is the window system
// (platform/browser_window.h), the page's dialogs (web/page_library.js) its
// message boxes. The canvas (web/canvas.h), the address (web/address.h) and
// pictures and videos (web/capture.h) have files of their own; what is left
// here makes it a program: its start, the phases of its questions and help,
// its loop of animation frames, its exports.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdlib>
#include <string>

#include "core/options.h"
#include "core/saved_files.h"
#include "core/view.h"
#include "core/view_link.h"
#include "core/viewer_state.h"
#include "platform/browser_window.h"
#include "viewer/fallback.h"
#include "viewer/frame.h"
#include "viewer/idle_pass.h"
#include "viewer/input.h"
#include "viewer/navigation.h"
#include "viewer/texts.h"
#include "web/address.h"
#include "web/canvas.h"
#include "web/capture.h"
#include "web/page_library.h"

namespace {

// The questions the page asks, as page_ask and polytree_answer name them.
enum Question { START = 0, FALLBACK = 1 };

// Where the program is: only a running viewer has frames; a dialog open
// over it holds the loop, as the desktop's boxes block it.
enum class Phase { asking, running, help, ended };

// The program's state on the page.
struct PageState {
    PageAddress address;
    PageCanvas canvas{"#canvas"};
    int shown_paused = -1;  // what the page's controls show
    int shown_fill = -1;
    Phase phase = Phase::asking;
    bool loop_running = false;
    FrameSequence frames{View{}};  // the frame on screen, counted from the start or the link
    std::string text;               // the last one handed to the script
};

PageState page;
Capture capture(page.canvas.buffer(), page.canvas.selector());

void refit() { page.canvas.fit(); }

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
    if (!page.canvas.can_draw()) return;
    draw_viewer_frame(page.frames, [](const FrameSequence& frames) { page.canvas.draw(frames.current(), viewer.scale); });
}

void show_state() {
    const int paused = viewer.paused ? 1 : 0;
    const int fill = page.canvas.fill ? 1 : 0;
    if (paused == page.shown_paused && fill == page.shown_fill) return;
    page.shown_paused = paused;
    page.shown_fill = fill;
    page_show_state(paused, fill);
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
    page.canvas.take_size_keys();
    // Opening never fails here: a refused full screen comes later.
    if (run_idle_pass(window, draw) == PassEnd::stop) end_viewer("", "");
    if (page.frames.has_shown()) page.address.follow(page.frames.shown(), page.canvas.fill);
    show_state();
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

bool make_buffer() {
    if (page.canvas.make_buffer()) return true;
    page_fault(page.canvas.why().c_str());
    return false;
}

// A fresh viewer, as a new start of the program has: the options of the
// address, the link's view.
void start_viewer() {
    restart_viewer(page.address.options().c_str());
    page.canvas.fill = page.address.open_link();
    // Motion a person asked their system to spare them starts paused.
    if (page_prefers_reduced_motion() != 0) viewer.paused = true;
    show_state();
    page.frames = FrameSequence(viewer_view());
    // The canvas takes its place behind the question, black until the first
    // frame.
    refit();
}

// The question if the page can go full screen at all; else the figure.
void ask_or_run() {
    if (page_can_fullscreen() != 0) {
        page.phase = Phase::asking;
        page_ask(START, texts::START_CAPTION, texts::START_QUESTION);
    } else {
        viewer.fullscreen = false;
        if (!make_buffer()) return;
        window.open();
        run();
    }
}

void lose_context() {
    page.canvas.lose();
    page_context_lost(1);
}

void restore_context() {
    if (!page.canvas.restore()) {
        page_fault(page.canvas.why().c_str());
        return;
    }
    page_context_lost(0);
}

// The start's later steps, each a task of its own so that the page paints
// and takes input between them (a phone takes several times as long over
// each): the context, made once the canvas has its size so that its drawing
// buffer is made once; the question; the shaders, which compile in the
// browser's GPU process while the question is read.
void start_shaders(void*) { page.canvas.start_shaders(); }

void ask(void*) {
    ask_or_run();
    emscripten_set_timeout(start_shaders, 0, nullptr);
}

void make_context(void*) {
    if (!page.canvas.make_context()) {
        page_fault("This page draws with WebGL 2, which this browser does not offer or has turned off.");
        return;
    }
    emscripten_set_timeout(ask, 0, nullptr);
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
    if (!make_buffer()) return;
    window.open();
    run();
}

EMSCRIPTEN_KEEPALIVE void polytree_fullscreen_refused() {
    if (page.phase != Phase::running && page.phase != Phase::help) return;
    page.phase = Phase::asking;
    page_ask(FALLBACK, texts::FALLBACK_CAPTION, texts::FALLBACK_QUESTION);
}

// A dialog of the page's own (saving) holds the figure as the help box does,
// until polytree_help_closed.
EMSCRIPTEN_KEEPALIVE void polytree_hold() {
    if (page.phase == Phase::running) page.phase = Phase::help;
}

EMSCRIPTEN_KEEPALIVE void polytree_help_closed() {
    if (page.phase == Phase::help) run();
}

EMSCRIPTEN_KEEPALIVE void polytree_start_again() {
    if (page.phase != Phase::ended) return;
    start_viewer();
    ask_or_run();
}

// The pointer at x, y in CSS pixels of the canvas, with its main button (a
// finger, a pen's tip) down or not.
EMSCRIPTEN_KEEPALIVE void polytree_pointer(int x, int y, int down) { on_pointer_move(x, y, down != 0); }

// For tests and pages that embed this one: the frame on screen.
EMSCRIPTEN_KEEPALIVE int polytree_frame() { return page.frames.shown_step(); }

// The view of the frame on screen as text; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* polytree_view() {
    page.text = write_view(page.frames.shown());
    return page.text.c_str();
}

// A press of the viewer's key with that code, as a quick tap gives it: the
// page's buttons act through the viewer's own keys.
EMSCRIPTEN_KEEPALIVE void polytree_press(int code) {
    on_key_down(code);
    on_key_up(code);
}

// A gesture's camera movement, in steps of the movement keys.
EMSCRIPTEN_KEEPALIVE void polytree_move(double forward, double leftward, double upward) {
    if (page.phase != Phase::running) return;
    move_forward(forward);
    move_left(leftward);
    move_up(upward);
}

// The fragment of a link to the frame on screen; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* polytree_link() {
    page.text = link_of(page.frames.shown(), page.canvas.fill);
    return page.text.c_str();
}

// The person edited the address's fragment: the viewer goes on from its view.
EMSCRIPTEN_KEEPALIVE void polytree_link_changed() {
    if (!page.address.read_link() || page.phase == Phase::ended) return;
    page.canvas.fill = page.address.open_link();
    page.frames.count_from_here();
    refit();
    show_state();
}

// The largest side of a picture that polytree_picture draws.
EMSCRIPTEN_KEEPALIVE int polytree_largest_picture() { return capture.largest_side(); }

EMSCRIPTEN_KEEPALIVE int polytree_most_picture_pixels() { return static_cast<int>(MOST_PICTURE_PIXELS); }

// The frame on screen drawn again at the given size: its RGBA pixels, top
// row first and opaque, in memory the caller frees with
// polytree_picture_free; null, with polytree_picture_error said, when the
// size is out of bounds or the memory or the driver refuses it.
EMSCRIPTEN_KEEPALIVE unsigned char* polytree_picture(int width, int height) {
    return capture.picture(width, height, page.frames, viewer.scale);
}

// A video of the view on screen, as Capture::open_video makes one.
EMSCRIPTEN_KEEPALIVE unsigned char* polytree_video_open(int width, int height) {
    return capture.open_video(width, height, page.frames, viewer.scale);
}

EMSCRIPTEN_KEEPALIVE int polytree_video_frame() { return capture.next_frame() ? 1 : 0; }

EMSCRIPTEN_KEEPALIVE void polytree_video_close() { capture.close(); }

EMSCRIPTEN_KEEPALIVE const char* polytree_picture_error() { return capture.error().c_str(); }

EMSCRIPTEN_KEEPALIVE void polytree_picture_free(unsigned char* pixels) { std::free(pixels); }

// What a saved file of the frame on screen is named, and the polytree-render
// command that makes the same still (frames 0) or video; each valid until
// the next call.
EMSCRIPTEN_KEEPALIVE const char* polytree_file_name(const char* extension) {
    page.text = saved_file_name(page.frames.shown(), extension);
    return page.text.c_str();
}

EMSCRIPTEN_KEEPALIVE const char* polytree_render_command(int width, int height, int frames, const char* extension) {
    page.text = render_command(page.frames.shown(), width, height, frames, extension);
    return page.text.c_str();
}

// What the page's files share with polytree-render's: the PNG text chunk
// that keeps the view, and the videos' rate and VP9 quality.
EMSCRIPTEN_KEEPALIVE const char* polytree_png_view_key() { return PNG_VIEW_KEY; }

EMSCRIPTEN_KEEPALIVE int polytree_video_fps() { return VIDEO_FPS; }

EMSCRIPTEN_KEEPALIVE int polytree_vp9_quantizer() { return VP9_DEFAULT_CRF; }

EMSCRIPTEN_KEEPALIVE int polytree_segments() { return !page.frames.has_shown() ? 0 : page.canvas.buffer().segments(); }

}  // extern "C"

// The start's first step: the address's options and link, the browser's
// events, and the canvas sized for them; the rest follows in tasks of their
// own.
int main() {
    page.address.read();
    listen_to_browser(page.canvas.selector(), BrowserHandlers{refit, lose_context, restore_context});
    start_viewer();
    emscripten_set_timeout(make_context, 0, nullptr);
    return 0;
}
