#pragma once
// The window and its OpenGL context: brought up by open_view_window in a
// straight line, taken down by close_view_window in reverse.

#include <windows.h>

struct GlWindow {
    HINSTANCE instance;
    HWND window;
    HDC device_context;
    HGLRC render_context;
};

extern GlWindow gl_window;

// Gives window a device context, a pixel format of the given colour depth
// and a current GL context, in that order. Returns null on success, else the
// text naming the step that failed; what was obtained before it is held in
// device_context and render_context for the caller to release.
const char* attach_gl_context(HWND window, int colour_bits, HDC& device_context, HGLRC& render_context);

// Opens a window (or takes the screen in the given mode) with a current GL
// context and the renderer's state set up. On failure the user has been told
// and nothing but, after a refused full-screen mode, the class is left held.
bool open_view_window(const char* caption, int width, int height, int bits, bool fullscreen_flag);

// Gives the desktop its mode back and releases whatever handles are held.
void close_view_window();

// What one turn of a message loop found waiting.
enum class Pumped {
    dispatched,  // a message, translated and sent to its window
    quit,        // WM_QUIT, left in message
    none,        // nothing: time for the loop's own work
};

// Takes one waiting message off the queue without waiting for one.
Pumped take_message(MSG& message);
