#include "cli/offscreen_frames.h"

#include <GL/gl.h>

#include "render/scene.h"
#include "viewer/worker_frame.h"

namespace {

std::string gl_text(GLenum name) {
    const char* value = reinterpret_cast<const char*>(glGetString(name));
    return value != nullptr ? value : "";
}

}  // namespace

std::string OffscreenFrames::error() const {
    if (!gl_.has_display()) return "no EGL display to draw on: " + gl_.why();
    if (!gl_.ok()) return "cannot set up OpenGL: " + gl_.why();
    return "";
}

std::string OffscreenFrames::use_size(int width, int height) {
    if (!gl_.use_framebuffer(width, height)) {
        return "cannot draw at " + std::to_string(width) + "x" + std::to_string(height) + ": " + gl_.why();
    }
    width_ = width;
    height_ = height;
    setup_gl_state();
    set_view(0, 0, width, height, START_SCALE);
    return "";
}

std::string OffscreenFrames::drawn_by(const std::string& program) const {
    const auto text = [](GLenum name) {
        const std::string value = gl_text(name);
        return value.empty() ? "unknown" : value;
    };
    return program + "; " + text(GL_RENDERER) + "; " + text(GL_VERSION);
}

std::string OffscreenFrames::renderer() const { return gl_text(GL_RENDERER); }

void OffscreenFrames::draw(const FrameSequence& frames, bool more) { draw_current(worker_, frames, more); }

void OffscreenFrames::wait() { glFinish(); }

void OffscreenFrames::read(Picture& picture, bool alpha) {
    picture.width = width_;
    picture.height = height_;
    // The framebuffer is cleared to alpha 0 and the lines drawn opaque.
    picture.alpha = alpha;
    read_pixels(width_, height_, alpha, picture.pixels);
}

bool OffscreenFrames::drew(std::string& error) {
    error = driver_error();
    return error.empty();
}
