#pragma once
// What the GL floors replay, recorded at start-up: the viewer's exact call
// stream of a frame, or the figure's arrays as the native programs and the
// web page draw them, so that a frame costs only what the driver takes for
// it. The frames go round the figure's period as the viewer's do (as many of
// them as fit in 256 MB), so that the driver draws the same shapes. No
// graphics API: the web page's floor records them too.

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/camera.h"
#include "core/options.h"
#include "render/figure_arrays.h"
#include "render/polygon_tree.h"

struct Recording {
    std::vector<SegmentColour> colours;
    std::vector<double> vertices;  // x, y, z of two vertices per segment
    void colour(const SegmentColour& c) { colours.push_back(c); }
    void vertex(double x, double y, double z) { vertices.insert(vertices.end(), {x, y, z}); }
};

inline void record(Recording& frame, const Figure& figure) { emit_figure(frame, figure); }
inline void record(FigureArrays& frame, const Figure& figure) { frame.fill(figure); }

inline std::size_t segment_bytes(const Recording&) { return sizeof(SegmentColour) + 6 * sizeof(double); }
inline std::size_t segment_bytes(const FigureArrays&) { return 2 * sizeof(FigureVertex); }

// The frames of the figure the options choose: an immediate-mode Recording
// or the FigureArrays the native programs draw.
template <class Frame = Recording>
std::vector<Frame> record_frames(const StartOptions& options) {
    // The figure of n branches repeats every 360/n frames (one degree each).
    const int period = options.branches > 2 && 360 % options.branches == 0 ? 360 / options.branches : 360;
    const std::size_t frame_bytes =
        segment_bytes(Frame{}) * segments_per_frame(options.branches, options.levels);
    const int kept = static_cast<int>(std::max<std::size_t>(1, std::min<std::size_t>(
        static_cast<std::size_t>(period), (std::size_t{256} << 20) / frame_bytes)));
    std::vector<Frame> frames(static_cast<std::size_t>(kept));
    for (int k = 0; k < kept; ++k) {
        const Figure figure = {options.branches, options.levels, (k * period / kept) * ONE_DEGREE, START_SCALE};
        record(frames[static_cast<std::size_t>(k)], figure);
    }
    return frames;
}
