// The renderer as the window layer sees it, logged into the same call log.
// The real one needs a live GL context, which this build has not.
#include "fake_win32.h"
#include "render/scene.h"
#include "viewer/viewer_scene.h"

#include <string>

void resize_view(int width, int height) {
    fake::record("resize_view", {std::to_string(width), std::to_string(height)});
}

bool setup_gl_state() {
    fake::record("setup_gl_state", {});
    return fake::result("setup_gl_state", 1) != 0;
}

bool draw_frame() {
    fake::record("draw_frame", {});
    return fake::result("draw_frame", 1) != 0;
}
