#include "viewer/frame.h"

Figure viewer_figure() { return Figure{viewer.branches, viewer.levels, viewer.twist, viewer.scale}; }

Camera viewer_camera() { return Camera{viewer.pitch, viewer.yaw, viewer.cam_x, viewer.cam_y, viewer.cam_z}; }

ViewerFrame viewer_frame() {
    const Figure figure = viewer_figure();
    Figure next = figure;
    if (!viewer.paused) next.twist = next_twist(figure.twist);
    return ViewerFrame{figure, viewer_camera(), next};
}

View viewer_view() {
    return View{viewer.branches, viewer.levels, viewer.mode_index, viewer_camera(), viewer.twist, viewer.paused};
}

void open_view(const View& view) {
    viewer.branches = view.branches;
    viewer.levels = view.levels;
    viewer.mode_index = view.mode_index;
    viewer.pitch = view.camera.pitch;
    viewer.yaw = view.camera.yaw;
    viewer.cam_x = view.camera.x;
    viewer.cam_y = view.camera.y;
    viewer.cam_z = view.camera.z;
    viewer.twist = view.twist;
    viewer.paused = view.paused;
}

void advance_twist() { viewer.twist = next_twist(viewer.twist); }
