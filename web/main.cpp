// polytree on a web page: the viewer in WebAssembly, drawing through WebGL 2
// into one canvas. The same option words, start-up question, keys, figure and
// help text as polytree.exe; the browser is the window system
// (platform/browser_window.h), and the page's dialogs (web/page_library.js)
// are its message boxes. What is left here makes it a program: the phases
// of its questions and help, its loop of animation frames, its exports.
#include <GLES3/gl3.h>
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "core/display_modes.h"
#include "core/options.h"
#include "core/view.h"
#include "core/viewer_state.h"
#include "platform/browser_canvas.h"
#include "platform/browser_window.h"
#include "render/figure_buffer.h"
#include "render/polygon_tree.h"
#include "viewer/fallback.h"
#include "viewer/frame.h"
#include "viewer/idle_pass.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/navigation.h"
#include "viewer/texts.h"

// What the page's script does for the program (web/page_library.js).
extern "C" {
char* page_option_text();
char* page_link_text();
void page_follow_view(const char* link);
void page_show_state(int paused, int fill);
void page_notice(const char* text);
int page_prefers_reduced_motion();
int page_can_fullscreen();
int page_is_fullscreen();
void page_request_fullscreen();
void page_exit_fullscreen();
void page_fit_canvas(int width, int height, int fill);
void page_ask(int question, const char* caption, const char* text);
void page_show_help(const char* caption, const char* text);
void page_context_lost(int lost);
void page_ended(const char* caption, const char* text);
void page_fault(const char* text);
}

namespace {

const char CANVAS[] = "#canvas";

// The word a link's fragment carries beside the view when the figure fills
// the window: the view's G word names the fixed size the display-mode keys
// come back to, and a view without the word opens at that size.
const char FILL_WORD[] = "fill";

// The address follows the view on screen at most this often: a turning
// figure's view changes every frame, and browsers throttle replaceState.
constexpr double FOLLOW_EVERY_MS = 1000.0;

// A saved picture's size: each side up to the context's largest renderbuffer
// and viewport, and at most this many pixels (128 MB of RGBA in the wasm
// memory, as much again in the browser's copy for its PNG encoder).
constexpr long long MOST_PICTURE_PIXELS = 1LL << 25;

// The questions the page asks, as page_ask and polytree_answer name them.
enum Question { START = 0, FALLBACK = 1 };

// Where the program is: only a running viewer has frames; a dialog open
// over it holds the loop, as the desktop's boxes block it.
enum class Phase { asking, running, help, ended };

struct Offscreen {
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
    bool complete = false;
    int width = 0;
    int height = 0;
    unsigned char* pixels = nullptr;
};

struct Page {
    std::string options;
    bool fill = false;  // the figure fills the window instead of a mode's size
    bool options_fill = false;
    std::string link;   // the fragment's view as the address gave it
    bool link_fill = false;
    double followed_at = -FOLLOW_EVERY_MS;
    std::string followed;
    int shown_paused = -1;  // what the page's controls show
    int shown_fill = -1;
    std::string picture_error;
    Offscreen offscreen;
    double video_twist = 0.0;  // the next video frame's
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    FigureBuffer buffer;
    bool buffer_made = false;  // its shaders taken up
    Phase phase = Phase::asking;
    bool loop_running = false;
    bool context_lost = false;
    FrameSequence frames{View{}};  // the frame on screen, counted from the start or the link
    std::string shown_view_text;
};

Page page;

void refit() {
    const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
    page_fit_canvas(mode.width, mode.height, page.fill ? 1 : 0);
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
    draw_viewer_frame(page.frames, [](const FrameSequence& frames) {
        const View& view = frames.current();
        page.buffer.draw_scene(figure_of(view, viewer.scale), view.camera);
    });
}

// The page's sizes run one step further than the viewer's display modes:
// after the largest comes the whole window, then the smallest again.
void step_size(int direction) {
    const int edge = direction > 0 ? DISPLAY_MODE_COUNT - 1 : 0;
    if (page.fill) {
        page.fill = false;
        viewer.mode_index = direction > 0 ? 0 : DISPLAY_MODE_COUNT - 1;
    } else if (viewer.mode_index == edge) {
        page.fill = true;
    } else {
        viewer.mode_index = direction > 0 ? next_mode_index(viewer.mode_index) : previous_mode_index(viewer.mode_index);
    }
    refit();
}

// The display-mode keys' presses, taken before the idle pass's key commands
// would take them, in the same order.
void take_size_keys() {
    const int size_keys[][2] = {{keys::ADD, +1}, {keys::SUBTRACT, -1}, {keys::OEM_PLUS, +1}, {keys::OEM_MINUS, -1}};
    for (const auto& key : size_keys) {
        if (take_press(key[0])) step_size(key[1]);
    }
}

// The fragment of a link to the view on screen: its words parted by '+',
// as a query's are, the fill word first. None of them needs escaping.
std::string link_of(const View& view, bool fill) {
    std::string text = (fill ? std::string(FILL_WORD) + " " : std::string()) + write_view(view);
    std::replace(text.begin(), text.end(), ' ', '+');
    return text;
}

// Splits a fragment's fill word from its view's words.
std::string without_fill_word(const char* words, bool& fill) {
    const TokenList list(words);
    std::string rest;
    fill = false;
    for (int i = 0; i < list.count; ++i) {
        if (std::string(list.items[i]) == FILL_WORD) {
            fill = true;
        } else {
            rest += (rest.empty() ? "" : " ") + std::string(list.items[i]);
        }
    }
    return rest;
}

// The address's query chooses a size with a G word, as the option reader
// reads one; without one the figure fills the window. (The option reader
// gives G3 for no G word too.)
bool options_fill(const std::string& options) {
    const TokenList list(options.c_str());
    for (int i = 0; i < list.count; ++i) {
        if (list.items[i][0] == 'G' || list.items[i][0] == 'g') return false;
    }
    return true;
}

// Opens the link's view over a fresh viewer, or says why it cannot.
void open_link() {
    page.fill = page.options_fill;
    if (page.link.empty()) return;
    View view{};
    std::string error;
    if (!read_view(page.link, view, error)) {
        page_notice(("This link's view cannot be opened: " + error).c_str());
        return;
    }
    set_viewer_view(view);
    page.fill = page.link_fill;
}

void follow_view() {
    const double now = emscripten_get_now();
    if (now - page.followed_at < FOLLOW_EVERY_MS || !page.frames.has_shown()) return;
    std::string link = link_of(page.frames.shown(), page.fill);
    if (link == page.followed) return;
    page.followed_at = now;
    page.followed = link;
    page_follow_view(link.c_str());
}

void show_state() {
    const int paused = viewer.paused ? 1 : 0;
    const int fill = page.fill ? 1 : 0;
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
    take_size_keys();
    // Opening never fails here: a refused full screen comes later.
    if (run_idle_pass(window, draw) == PassEnd::stop) end_viewer("", "");
    follow_view();
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

// The shaders started with the context are taken up when the figure is
// first wanted: asking the driver how they went waits for them, which would
// hold the page's start up while the question is read.
bool make_buffer() {
    if (page.buffer_made || page.context_lost) return true;
    if (!page.buffer.create()) {
        page_fault(page.buffer.why().c_str());
        return false;
    }
    page.buffer_made = true;
    return true;
}

// A fresh viewer, as a new start of the program has: the options of the
// address, the question if the page can go full screen at all.
void start() {
    restart_viewer(page.options.c_str());
    open_link();
    // Motion a person asked their system to spare them starts paused.
    if (page_prefers_reduced_motion() != 0) viewer.paused = true;
    show_state();
    page.frames = FrameSequence(viewer_view());
    // The canvas takes its place behind the question, black until the first
    // frame.
    refit();
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
    page.buffer_made = true;
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
    return true;
}

// An off-screen framebuffer of a picture's or a video's size, with memory for
// its pixels; polytree_picture and the polytree_video_* functions draw
// through it.
int largest_picture() {
    GLint renderbuffer = 0;
    GLint viewport[2] = {0, 0};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, viewport[0], viewport[1]});
}

bool open_offscreen(int width, int height) {
    const int largest = largest_picture();
    if (!page.frames.has_shown() || page.context_lost) {
        page.picture_error = "There is no frame on screen to save.";
        return false;
    }
    if (width < 1 || height < 1 || width > largest || height > largest ||
        static_cast<long long>(width) * height > MOST_PICTURE_PIXELS) {
        page.picture_error = "A picture is 1 to " + std::to_string(largest) + " pixels a side and at most " +
                             std::to_string(MOST_PICTURE_PIXELS) + " pixels in all.";
        return false;
    }
    Offscreen& o = page.offscreen;
    o.pixels = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(width) * 4 * height));
    if (o.pixels == nullptr) {
        page.picture_error = "The page has not enough memory for a picture of that size.";
        return false;
    }
    o.width = width;
    o.height = height;
    glGenFramebuffers(1, &o.framebuffer);
    glGenRenderbuffers(2, o.renderbuffers);
    glBindFramebuffer(GL_FRAMEBUFFER, o.framebuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, o.renderbuffers[0]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, o.renderbuffers[0]);
    glBindRenderbuffer(GL_RENDERBUFFER, o.renderbuffers[1]);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, o.renderbuffers[1]);
    o.complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    page.buffer.resize(width, height, viewer.scale);
    return true;
}

// The view on screen with the given twist, into the off-screen pixels.
bool draw_offscreen(double twist) {
    Offscreen& o = page.offscreen;
    if (o.complete && !page.context_lost) {
        const View& view = page.frames.shown();
        page.buffer.draw_scene(Figure{view.branches, view.levels, twist, viewer.scale}, view.camera);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, o.width, o.height, GL_RGBA, GL_UNSIGNED_BYTE, o.pixels);
    }
    if (!o.complete || page.context_lost || glGetError() != GL_NO_ERROR) {
        page.picture_error = "The browser's WebGL cannot draw a picture of that size.";
        return false;
    }
    // GL's rows come bottom first; the background is cleared clear, and a
    // picture of the screen is opaque.
    const std::size_t row = static_cast<std::size_t>(o.width) * 4;
    for (int y = 0; y < o.height / 2; ++y) {
        std::swap_ranges(o.pixels + static_cast<std::size_t>(y) * row, o.pixels + static_cast<std::size_t>(y + 1) * row,
                         o.pixels + static_cast<std::size_t>(o.height - 1 - y) * row);
    }
    for (std::size_t i = 3; i < row * static_cast<std::size_t>(o.height); i += 4) o.pixels[i] = 255;
    return true;
}

void close_offscreen() {
    Offscreen& o = page.offscreen;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(2, o.renderbuffers);
    glDeleteFramebuffers(1, &o.framebuffer);
    std::free(o.pixels);
    o = Offscreen{};
    // Back to the canvas's size, without refitting it: a canvas given its
    // size again is cleared.
    int canvas_width = 0;
    int canvas_height = 0;
    emscripten_get_canvas_element_size(CANVAS, &canvas_width, &canvas_height);
    page.buffer.resize(canvas_width, canvas_height, viewer.scale);
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
    if (page.phase == Phase::ended) start();
}

// The pointer at x, y in CSS pixels of the canvas, with its main button (a
// finger, a pen's tip) down or not.
EMSCRIPTEN_KEEPALIVE void polytree_pointer(int x, int y, int down) { on_pointer_move(x, y, down != 0); }

// For tests and pages that embed this one: the frame on screen.
EMSCRIPTEN_KEEPALIVE int polytree_frame() { return page.frames.shown_step(); }

// The view of the frame on screen as text; valid until the next call.
EMSCRIPTEN_KEEPALIVE const char* polytree_view() {
    page.shown_view_text = write_view(page.frames.shown());
    return page.shown_view_text.c_str();
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
    page.shown_view_text = link_of(page.frames.shown(), page.fill);
    return page.shown_view_text.c_str();
}

// The person edited the address's fragment: the viewer goes on from its view.
EMSCRIPTEN_KEEPALIVE void polytree_link_changed() {
    char* link = page_link_text();
    page.link = without_fill_word(link, page.link_fill);
    std::free(link);
    if (page.phase == Phase::ended || page.link.empty()) return;
    open_link();
    page.frames.count_from_here();
    refit();
    show_state();
}

// The largest side of a picture that polytree_picture draws.
EMSCRIPTEN_KEEPALIVE int polytree_largest_picture() { return largest_picture(); }

EMSCRIPTEN_KEEPALIVE int polytree_most_picture_pixels() { return static_cast<int>(MOST_PICTURE_PIXELS); }

// The frame on screen drawn again off-screen, in a framebuffer object of the
// given size: its RGBA pixels, top row first and opaque, in memory the caller
// frees with polytree_picture_free; null, with polytree_picture_error said,
// when the size is out of bounds or the memory or the driver refuses it.
EMSCRIPTEN_KEEPALIVE unsigned char* polytree_picture(int width, int height) {
    if (!open_offscreen(width, height)) return nullptr;
    const bool drawn = draw_offscreen(page.frames.shown().twist);
    unsigned char* pixels = page.offscreen.pixels;
    page.offscreen.pixels = nullptr;
    close_offscreen();
    if (drawn) return pixels;
    std::free(pixels);
    return nullptr;
}

// A video of the view on screen, frame by frame: polytree_video_open sizes
// the framebuffer and gives the pixels' memory (null, with
// polytree_picture_error said, as for a picture); each polytree_video_frame
// draws the next frame into it, the view's own first, the twist moving on a
// degree a frame as the viewer's does, paused or not.
EMSCRIPTEN_KEEPALIVE unsigned char* polytree_video_open(int width, int height) {
    if (!open_offscreen(width, height)) return nullptr;
    page.video_twist = page.frames.shown().twist;
    return page.offscreen.pixels;
}

EMSCRIPTEN_KEEPALIVE int polytree_video_frame() {
    if (!draw_offscreen(page.video_twist)) return 0;
    page.video_twist = next_twist(page.video_twist);
    return 1;
}

EMSCRIPTEN_KEEPALIVE void polytree_video_close() { close_offscreen(); }

EMSCRIPTEN_KEEPALIVE const char* polytree_picture_error() { return page.picture_error.c_str(); }

EMSCRIPTEN_KEEPALIVE void polytree_picture_free(unsigned char* pixels) { std::free(pixels); }

EMSCRIPTEN_KEEPALIVE int polytree_segments() { return !page.frames.has_shown() ? 0 : page.buffer.segments(); }

}  // extern "C"

int main() {
    char* options = page_option_text();
    page.options = options;
    std::free(options);
    page.options_fill = options_fill(page.options);
    char* link = page_link_text();
    page.link = without_fill_word(link, page.link_fill);
    std::free(link);

    if (!make_context()) return 0;
    listen_to_browser(CANVAS, BrowserHandlers{refit, lose_context, restore_context});
    start();
    // After the canvas took its size, whose change the browser waits for
    // its GPU to make: the shaders compile there while the question is read.
    if (!page.buffer_made) page.buffer.start_shaders();
    return 0;
}
