#pragma once
// An off-screen framebuffer: a colour and a depth renderbuffer of one size,
// drawn into instead of a window or a canvas and read back top row first.
// One implementation for desktop OpenGL, whose framebuffer calls a context
// looks up by name (eglGetProcAddress), and for OpenGL ES 3 (WebGL 2), which
// has them built in: each hands over its own calls.

#include <cstdint>
#include <string>

// The GL calls a framebuffer needs, in the signatures desktop OpenGL and
// OpenGL ES 3 share.
struct FramebufferCalls {
    void (*gen_framebuffers)(int count, unsigned* names);
    void (*delete_framebuffers)(int count, const unsigned* names);
    void (*bind_framebuffer)(unsigned target, unsigned name);
    void (*gen_renderbuffers)(int count, unsigned* names);
    void (*delete_renderbuffers)(int count, const unsigned* names);
    void (*bind_renderbuffer)(unsigned target, unsigned name);
    void (*renderbuffer_storage)(unsigned target, unsigned format, int width, int height);
    void (*framebuffer_renderbuffer)(unsigned target, unsigned attachment, unsigned renderbuffer_target,
                                     unsigned renderbuffer);
    unsigned (*check_framebuffer_status)(unsigned target);
    void (*get_integerv)(unsigned name, int* values);
    unsigned (*get_error)();
    void (*pixel_storei)(unsigned name, int value);
    void (*read_pixels)(int x, int y, int width, int height, unsigned format, unsigned type, void* pixels);

    // Whether the driver gave every one of them.
    bool complete() const;
};

// The calls by name from a context's own lookup (eglGetProcAddress); null
// for those it lacks.
using GlLookup = void (*(*)(const char* name))();
FramebufferCalls look_up_framebuffer_calls(GlLookup lookup);

// The largest width and height a framebuffer may have on the current
// context's driver: its renderbuffers' and its viewports' limit.
int largest_framebuffer(const FramebufferCalls& gl);

// The bound framebuffer's pixels from its corner, width x height of them,
// 8-bit RGB or, with alpha, RGBA, top row first, into pixels, which holds
// that many.
void read_rows(const FramebufferCalls& gl, int width, int height, bool alpha, std::uint8_t* pixels);

class Framebuffer {
public:
    // The calls must outlive it; its GL objects are made and deleted in the
    // context current at the time.
    explicit Framebuffer(const FramebufferCalls& gl) : gl_(&gl) {}
    ~Framebuffer() { release(); }
    Framebuffer(const Framebuffer&) = delete;
    Framebuffer& operator=(const Framebuffer&) = delete;

    // Makes one of that size and draws into it from now on. False, with
    // why() said, when the driver refuses it; nothing is left bound then.
    bool create(int width, int height);
    const std::string& why() const { return why_; }

    // Draws into it again (after something else was bound).
    void bind() const;

    // Deletes it, if there is one, and draws into the context's own
    // framebuffer again.
    void release();

    // Its pixels, as read_rows reads them.
    void read(bool alpha, std::uint8_t* pixels) const { read_rows(*gl_, width_, height_, alpha, pixels); }

    int width() const { return width_; }
    int height() const { return height_; }

private:
    const FramebufferCalls* gl_;
    std::string why_;
    unsigned framebuffer_ = 0;
    unsigned colour_ = 0;
    unsigned depth_ = 0;
    int width_ = 0;
    int height_ = 0;
};
