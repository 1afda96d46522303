#pragma once
// The browser as the viewer's window system: the page's keyboard, focus,
// visibility and full-screen events turned into viewer state, as
// sdl_window turns SDL's; what only the page itself can act on (a new size,
// a lost or restored WebGL context) is handed to it.
//
// The pointer is not here: the page's script (web/page.js) listens to it and
// hands its positions to the viewer through the page's export. Emscripten
// 3.1.6 (Debian's) offers mouse, touch and wheel events but neither Pointer
// Events nor pointer capture, and only those follow a pen, a finger and a
// mouse alike, through a drag that leaves the canvas.

struct BrowserHandlers {
    void (*resized)();  // the window's size or its full-screen state changed
    void (*context_lost)();
    void (*context_restored)();
};

// Listens to the canvas the selector names, to its window and its document,
// for the rest of the page's life.
void listen_to_browser(const char* canvas, const BrowserHandlers& handlers);
