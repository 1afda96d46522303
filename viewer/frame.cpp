#include "viewer/frame.h"

View viewer_view() {
    const Camera camera{viewer.pitch, viewer.yaw, viewer.cam_x, viewer.cam_y, viewer.cam_z};
    return View{viewer.branches, viewer.levels, viewer.mode_index, camera, viewer.twist, viewer.paused};
}

void set_viewer_view(const View& view) {
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
