#include "web/capture.h"

#include <GLES3/gl3.h>
#include <emscripten/html5.h>

#include <cstddef>
#include <cstdlib>

#include "platform/browser_canvas.h"

namespace {

// The context to draw in: none before the page made it, or while the
// browser has taken it away.
bool can_draw() {
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_get_current_context();
    return context > 0 && emscripten_is_webgl_context_lost(context) == EM_FALSE;
}

}  // namespace

Capture::Capture(FigureBuffer& buffer, const char* canvas)
    : buffer_(buffer), canvas_(canvas), framebuffer_(webgl_framebuffer_calls()) {}

int Capture::largest_side() const { return can_draw() ? largest_framebuffer(webgl_framebuffer_calls()) : 0; }

bool Capture::open(int width, int height, const FrameSequence& screen, double scale) {
    close();
    if (!screen.has_shown() || !can_draw()) {
        error_ = "There is no frame on screen to save.";
        return false;
    }
    const int largest = largest_side();
    if (width < 1 || height < 1 || width > largest || height > largest ||
        static_cast<long long>(width) * height > MOST_PICTURE_PIXELS) {
        error_ = "A picture is 1 to " + std::to_string(largest) + " pixels a side and at most " +
                 std::to_string(MOST_PICTURE_PIXELS) + " pixels in all.";
        return false;
    }
    pixels_ = static_cast<unsigned char*>(std::malloc(static_cast<std::size_t>(width) * 4 * height));
    if (pixels_ == nullptr) {
        error_ = "The page has not enough memory for a picture of that size.";
        return false;
    }
    if (!framebuffer_.create(width, height)) {
        close();
        error_ = "The browser's WebGL cannot draw a picture of that size.";
        return false;
    }
    frames_.emplace(screen.shown(), Turning::always);
    scale_ = scale;
    buffer_.resize(width, height, scale);
    return true;
}

bool Capture::next_frame() {
    if (frames_ && can_draw()) {
        const View& view = frames_->current();
        buffer_.draw_scene(figure_of(view, scale_), view.camera);
        framebuffer_.read(true, pixels_);
        frames_->drawn();
    }
    if (!frames_ || !can_draw() || glGetError() != GL_NO_ERROR) {
        error_ = "The browser's WebGL cannot draw a picture of that size.";
        return false;
    }
    // The background is cleared clear, and a picture of the screen is
    // opaque.
    const std::size_t size = static_cast<std::size_t>(framebuffer_.width()) * framebuffer_.height() * 4;
    for (std::size_t i = 3; i < size; i += 4) pixels_[i] = 255;
    return true;
}

unsigned char* Capture::picture(int width, int height, const FrameSequence& screen, double scale) {
    if (!open(width, height, screen, scale)) return nullptr;
    const bool drawn = next_frame();
    unsigned char* pixels = pixels_;
    pixels_ = nullptr;
    close();
    if (drawn) return pixels;
    std::free(pixels);
    return nullptr;
}

unsigned char* Capture::open_video(int width, int height, const FrameSequence& screen, double scale) {
    return open(width, height, screen, scale) ? pixels_ : nullptr;
}

void Capture::close() {
    std::free(pixels_);
    pixels_ = nullptr;
    if (!frames_) return;
    frames_.reset();
    framebuffer_.release();
    // Back to the canvas's size, without refitting it: a canvas given its
    // size again is cleared.
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(canvas_, &width, &height);
    buffer_.resize(width, height, scale_);
}
