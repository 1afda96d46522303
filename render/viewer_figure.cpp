#include "render/viewer_figure.h"

#include "core/viewer_state.h"

Figure viewer_figure() { return Figure{viewer.branches, viewer.levels, viewer.twist, viewer.scale}; }

Camera viewer_camera() { return Camera{viewer.pitch, viewer.yaw, viewer.cam_x, viewer.cam_y, viewer.cam_z}; }

void advance_twist() { viewer.twist = next_twist(viewer.twist); }
