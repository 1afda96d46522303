#include "web/canvas.h"

#include "core/display_modes.h"
#include "core/viewer_state.h"
#include "platform/browser_canvas.h"
#include "viewer/frame_sequence.h"
#include "viewer/input.h"
#include "viewer/key_codes.h"
#include "viewer/key_commands.h"
#include "web/page_library.h"

void PageCanvas::fit() {
    const DisplayMode& mode = DISPLAY_MODES[viewer.mode_index];
    page_fit_canvas(mode.width, mode.height, fill ? 1 : 0);
    if (can_draw()) fit_viewport();
}

// The drawing buffer's size, which the browser may have rounded.
void PageCanvas::fit_viewport() {
    int width = 0;
    int height = 0;
    emscripten_get_canvas_element_size(selector_, &width, &height);
    buffer_.resize(width, height, viewer.scale);
}

void PageCanvas::take_size_keys() {
    const int size_keys[][2] = {{keys::ADD, +1}, {keys::SUBTRACT, -1}, {keys::OEM_PLUS, +1}, {keys::OEM_MINUS, -1}};
    for (const auto& key : size_keys) {
        if (!take_press(key[0])) continue;
        const int direction = key[1];
        const int edge = direction > 0 ? DISPLAY_MODE_COUNT - 1 : 0;
        if (fill) {
            fill = false;
            viewer.mode_index = direction > 0 ? 0 : DISPLAY_MODE_COUNT - 1;
        } else if (viewer.mode_index == edge) {
            fill = true;
        } else {
            viewer.mode_index =
                direction > 0 ? next_mode_index(viewer.mode_index) : previous_mode_index(viewer.mode_index);
        }
        fit();
    }
}

bool PageCanvas::make_context() {
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = make_page_context(selector_);
    if (context <= 0) return false;
    context_ = context;
    fit_viewport();
    return true;
}

void PageCanvas::start_shaders() {
    if (!buffer_made_ && can_draw()) buffer_.start_shaders();
}

bool PageCanvas::make_buffer() {
    if (buffer_made_ || !can_draw()) return true;
    buffer_made_ = buffer_.create();
    return buffer_made_;
}

void PageCanvas::lose() {
    lost_ = true;
    buffer_.forget();
}

bool PageCanvas::restore() {
    emscripten_webgl_make_context_current(context_);
    if (!buffer_.create()) return false;
    buffer_made_ = true;
    lost_ = false;
    fit();
    return true;
}

void PageCanvas::draw(const View& view, double scale) { buffer_.draw_scene(figure_of(view, scale), view.camera); }
