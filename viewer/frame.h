#pragma once
// The viewer's frame as values taken from its record, and the one rule that
// every way of drawing it follows (immediate mode, the worker's arrays, the
// page's vertex buffer): a frame is drawn with the twist it has, then the
// twist moves one degree on unless paused.

#include "core/camera.h"
#include "core/view.h"
#include "core/viewer_state.h"
#include "render/polygon_tree.h"

// What the viewer's frame shows now, and the figure of the frame after it
// (the same while paused), for a way of drawing that prepares it ahead.
struct ViewerFrame {
    Figure figure;
    Camera camera;
    Figure next;
};

Figure viewer_figure();
Camera viewer_camera();
ViewerFrame viewer_frame();

// The view the record holds now: the frame the next draw shows.
View viewer_view();

// Gives the record the view's figure, display mode, camera, twist and pause.
void open_view(const View& view);

// One degree more twist.
void advance_twist();

// The viewer's frame: draw(const ViewerFrame&) draws it, then the twist
// moves on unless paused. True, as the viewer's draw_frame returns.
template <class Draw>
bool draw_viewer_frame(Draw&& draw) {
    draw(viewer_frame());
    if (!viewer.paused) advance_twist();
    return true;
}
