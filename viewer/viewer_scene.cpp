#include "viewer/viewer_scene.h"

#include "core/viewer_state.h"
#include "render/scene.h"
#include "viewer/frame.h"

void resize_view(int width, int height) { set_view(0, 0, width, height, viewer.scale); }

void draw_scene() {
    const View view = viewer_view();
    draw_scene(figure_of(view, viewer.scale), view.camera);
}

bool draw_frame() {
    draw_scene();
    if (!viewer.paused) viewer.twist = next_twist(viewer.twist);
    return true;
}
