#pragma once
// An off-screen OpenGL context for drawing the figure without a window or a
// screen: EGL on Mesa's surfaceless platform, drawing into a framebuffer
// object so that the picture's size is bound only by the driver's limit.
// Linux only; the Windows program draws into its window through WGL.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/framebuffer.h"

class OffscreenGl {
public:
    // Desktop OpenGL for immediate mode; OpenGL ES 3 for the vertex-buffer
    // path as WebGL 2 runs it.
    enum class Api { desktop, gles3 };

    // Creates a context of that API and makes it current, with no
    // framebuffer yet: the driver's limits can be asked for first.
    explicit OffscreenGl(Api api = Api::desktop);
    ~OffscreenGl();
    OffscreenGl(const OffscreenGl&) = delete;
    OffscreenGl& operator=(const OffscreenGl&) = delete;

    // False when no EGL display could be opened at all (no driver, no
    // device): the one failure that says nothing about the program.
    bool has_display() const { return display_ != nullptr; }
    // False when anything failed; why() says which step.
    bool ok() const { return ok_; }
    const std::string& why() const { return why_; }

    // The largest width and height a framebuffer may have on this driver.
    int max_size() const;

    // Makes this context (and its framebuffer) current again after another
    // one was.
    bool make_current();

    // Gives the context a colour and depth framebuffer of that size and
    // draws into it from now on. False, with why() set, when the driver
    // refuses it.
    bool use_framebuffer(int width, int height);

private:
    Api api_;
    bool ok_ = false;
    std::string why_;
    void* display_ = nullptr;
    void* context_ = nullptr;
    std::unique_ptr<Framebuffer> framebuffer_;  // once the context is current
};

// The current framebuffer's pixels from (0, 0), width x height of them,
// RGB or, with alpha, RGBA, a byte each, top row first (read_rows), into
// pixels: resized to fit, so that a loop of frames reuses its memory (fresh
// pages for every 4K frame cost the kernel more than the copy).
void read_pixels(int width, int height, bool alpha, std::vector<std::uint8_t>& pixels);

// The error the current context's driver reports since it was last asked,
// as a sentence; "" for none.
std::string driver_error();
