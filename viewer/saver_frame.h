#pragma once
// A screen saver's frame: the figure of the saver's settings, seen from
// where the viewer starts, turning by the clock (or held still), one copy in
// each viewport of the window. polytree.scr and polytree-xsaver both draw
// through it; each keeps its own window and loop, and shows the frame.

#include <vector>

#include "core/saver_settings.h"
#include "render/figure_arrays.h"
#include "render/viewport.h"
#include "viewer/frame_sequence.h"

class SaverFrame {
public:
    // The settings' figure, its levels within the work bound.
    explicit SaverFrame(const SaverSettings& settings);

    // Holds the figure still at twist radians, whatever the clock.
    void hold(double twist);

    // Where the copies go, each with the perspective of its own aspect, so
    // that lines stay one pixel wide on a monitor as in a small preview.
    void reshape(const std::vector<Viewport>& viewports);

    // Draws the frame of the moment seconds after the start into the
    // current GL context, which the caller then shows.
    void draw(double seconds);

private:
    FrameSequence frames_;
    FigureArrays arrays_;
    std::vector<Viewport> viewports_;
    bool held_ = false;
};
