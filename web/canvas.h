#pragma once
// The page's canvas: its size, a display mode's shrunk to fit the window or
// the whole window, and its WebGL 2 context with the figure buffer that
// draws into it. The context, once made, stays for the page's life, but the
// browser may take it away and give it back.

#include <emscripten/html5.h>

#include <string>

#include "core/view.h"
#include "render/figure_buffer.h"

class PageCanvas {
public:
    explicit PageCanvas(const char* selector) : selector_(selector) {}

    const char* selector() const { return selector_; }
    FigureBuffer& buffer() { return buffer_; }

    // The figure fills the window instead of a display mode's size.
    bool fill = false;

    // Sizes the canvas for the viewer's display mode, or the window, and
    // the viewport with it.
    void fit();

    // The display-mode keys' presses, taken before the idle pass's key
    // commands would take them, in the same order. The page's sizes run one
    // step further than the viewer's display modes: after the largest comes
    // the whole window, then the smallest again.
    void take_size_keys();

    // Makes the context, with its drawing buffer at the canvas's size, and
    // makes it current. False when the browser offers no WebGL 2.
    bool make_context();
    bool can_draw() const { return context_ > 0 && !lost_; }

    // Hands the shader pair to the browser's GPU process, unless the buffer
    // is made; make_buffer takes them up when the figure is first wanted,
    // since asking how they went waits for them. False, with why() said,
    // when the driver refuses them.
    void start_shaders();
    bool make_buffer();
    const std::string& why() const { return buffer_.why(); }

    // The browser took the context away, or gave it back: the buffer is
    // made again in it (false, with why() said, when it cannot be).
    void lose();
    bool restore();

    // The view's frame, when can_draw().
    void draw(const View& view, double scale);

private:
    void fit_viewport();

    const char* selector_;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context_ = 0;  // 0 until made
    bool lost_ = false;
    bool buffer_made_ = false;  // its shaders taken up
    FigureBuffer buffer_;
};
