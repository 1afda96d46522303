#pragma once
// A frame sequence's frames drawn from arrays the worker filled while the
// frame before was drawn (the native programs).

#include "render/frame_worker.h"
#include "render/scene.h"
#include "viewer/frame_sequence.h"

// The sequence's current frame as draw_scene draws it, from the figure's
// arrays (filled ahead when they could be): the frame cleared, the camera
// placed, one draw call. Then the worker starts on the following frame,
// unless there is none (more false).
inline void draw_current(FrameWorker& worker, const FrameSequence& frames, bool more = true) {
    const View& view = frames.current();
    const Figure figure = figure_of(view);
    draw_scene(worker.arrays_for(figure, more ? figure_of(frames.following()) : figure), view.camera);
}
