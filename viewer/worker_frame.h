#pragma once
// The viewer's frame drawn from arrays the worker filled while the frame
// before was drawn (the native programs).

#include "render/frame_worker.h"
#include "render/scene.h"
#include "viewer/frame.h"

// As draw_frame draws it, from the figure's arrays (filled ahead when they
// can be): the frame cleared, the camera placed, one draw call; then the
// twist moves on unless paused, and the worker starts on the frame after.
inline bool draw_frame(FrameWorker& worker) {
    return draw_viewer_frame([&worker](const ViewerFrame& frame) {
        draw_scene(worker.arrays_for(frame.figure, frame.next), frame.camera);
    });
}
