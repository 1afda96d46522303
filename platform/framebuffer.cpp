#include "platform/framebuffer.h"

// For its types and constants only: every call goes through the table, so
// that desktop OpenGL's context can use this as well.
#include <GLES3/gl3.h>

#include <algorithm>
#include <cstddef>

bool FramebufferCalls::complete() const {
    return gen_framebuffers && delete_framebuffers && bind_framebuffer && gen_renderbuffers && delete_renderbuffers &&
           bind_renderbuffer && renderbuffer_storage && framebuffer_renderbuffer && check_framebuffer_status &&
           get_integerv && get_error && pixel_storei && read_pixels;
}

namespace {

// A call found by name, which becomes whichever of the table's types it is
// given to.
struct Found {
    void (*call)();
    template <class Call>
    operator Call() const {
        return reinterpret_cast<Call>(call);
    }
};

}  // namespace

FramebufferCalls look_up_framebuffer_calls(GlLookup lookup) {
    const auto find = [lookup](const char* name) { return Found{lookup(name)}; };
    // In the table's order.
    return FramebufferCalls{
        find("glGenFramebuffers"),     find("glDeleteFramebuffers"),      find("glBindFramebuffer"),
        find("glGenRenderbuffers"),    find("glDeleteRenderbuffers"),     find("glBindRenderbuffer"),
        find("glRenderbufferStorage"), find("glFramebufferRenderbuffer"), find("glCheckFramebufferStatus"),
        find("glGetIntegerv"),         find("glGetError"),                find("glPixelStorei"),
        find("glReadPixels"),
    };
}

int largest_framebuffer(const FramebufferCalls& gl) {
    int renderbuffer = 0;
    int viewport[2] = {0, 0};
    gl.get_integerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    gl.get_integerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, viewport[0], viewport[1]});
}

void read_rows(const FramebufferCalls& gl, int width, int height, bool alpha, std::uint8_t* pixels) {
    gl.pixel_storei(GL_PACK_ALIGNMENT, 1);
    gl.read_pixels(0, 0, width, height, alpha ? GL_RGBA : GL_RGB, GL_UNSIGNED_BYTE, pixels);
    // GL's rows come bottom first; pictures, videos and the browser's
    // images all want the top first.
    const std::size_t row = static_cast<std::size_t>(width) * (alpha ? 4 : 3);
    for (int y = 0; y < height / 2; ++y) {
        std::uint8_t* upper = pixels + static_cast<std::size_t>(y) * row;
        std::swap_ranges(upper, upper + row, pixels + static_cast<std::size_t>(height - 1 - y) * row);
    }
}

bool Framebuffer::create(int width, int height) {
    release();
    why_.clear();
    while (gl_->get_error() != GL_NO_ERROR) {
    }
    gl_->gen_framebuffers(1, &framebuffer_);
    gl_->bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl_->gen_renderbuffers(1, &colour_);
    gl_->bind_renderbuffer(GL_RENDERBUFFER, colour_);
    gl_->renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl_->framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    // 24 bits as a WebGL 2 canvas has them: the depth test decides some
    // ties between crossing lines differently at 32.
    gl_->gen_renderbuffers(1, &depth_);
    gl_->bind_renderbuffer(GL_RENDERBUFFER, depth_);
    gl_->renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
    gl_->framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_);
    // A size the driver cannot hold shows as an error on the storage calls
    // (out of memory, or past its limit), not always as an incomplete
    // framebuffer.
    const unsigned error = gl_->get_error();
    if (error != GL_NO_ERROR || gl_->check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        why_ = error == GL_OUT_OF_MEMORY ? "not enough memory for the framebuffer"
                                         : "the driver refused a framebuffer of that size";
        release();
        return false;
    }
    width_ = width;
    height_ = height;
    return true;
}

void Framebuffer::bind() const { gl_->bind_framebuffer(GL_FRAMEBUFFER, framebuffer_); }

void Framebuffer::release() {
    if (framebuffer_ == 0 && colour_ == 0 && depth_ == 0) return;
    gl_->bind_framebuffer(GL_FRAMEBUFFER, 0);
    if (framebuffer_ != 0) gl_->delete_framebuffers(1, &framebuffer_);
    if (colour_ != 0) gl_->delete_renderbuffers(1, &colour_);
    if (depth_ != 0) gl_->delete_renderbuffers(1, &depth_);
    framebuffer_ = colour_ = depth_ = 0;
    width_ = height_ = 0;
}
