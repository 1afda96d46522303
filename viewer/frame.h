#pragma once
// The viewer's frame: its record's view, and the rule every viewer program
// but polytree.exe draws by (the native viewer, the page): the record's view
// is drawn through the program's frame sequence, which keeps the frame on
// screen, and the twist the sequence moves on goes back to the record, where
// the key commands read and write it.

#include "core/view.h"
#include "core/viewer_state.h"
#include "viewer/frame_sequence.h"

// The view the record holds now: the frame the next draw shows.
View viewer_view();

// Gives the record the view's figure, display mode, camera, twist and pause.
void set_viewer_view(const View& view);

// The record's frame: draw(const FrameSequence&) draws the sequence's
// current frame, then the twist moves on unless paused. True, as the
// viewer's draw_frame returns.
template <class Draw>
bool draw_viewer_frame(FrameSequence& frames, Draw&& draw) {
    frames.replace(viewer_view());
    draw(static_cast<const FrameSequence&>(frames));
    frames.drawn();
    viewer.twist = frames.current().twist;
    return true;
}
