#include "viewer/viewer_scene.h"

#include "core/viewer_state.h"
#include "render/scene.h"
#include "viewer/frame.h"

void resize_view(int width, int height) { set_view(0, 0, width, height, viewer.scale); }

void draw_scene() { draw_scene(viewer_figure(), viewer_camera()); }

bool draw_frame() {
    return draw_viewer_frame([](const ViewerFrame&) { draw_scene(); });
}
