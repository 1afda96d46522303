#include "viewer/frame.h"

Figure viewer_figure() { return Figure{viewer.branches, viewer.levels, viewer.twist, viewer.scale}; }

Camera viewer_camera() { return Camera{viewer.pitch, viewer.yaw, viewer.cam_x, viewer.cam_y, viewer.cam_z}; }

ViewerFrame viewer_frame() {
    const Figure figure = viewer_figure();
    Figure next = figure;
    if (!viewer.paused) next.twist = next_twist(figure.twist);
    return ViewerFrame{figure, viewer_camera(), next};
}

void advance_twist() { viewer.twist = next_twist(viewer.twist); }
