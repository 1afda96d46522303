#pragma once
// What the GL floors replay: the viewer's exact call stream of a frame,
// computed at start-up into arrays, so that a frame costs only what the
// driver takes for it. The frames go round the figure's period as the
// viewer's do (as many of them as fit in memory), so that the driver draws
// the same shapes. Shared by the floor of polytree.exe (Win32) and that of
// the native viewer (SDL2).

#include <algorithm>
#include <cstddef>
#include <vector>

#include "core/options.h"
#include "core/viewer_state.h"
#include "render/gl_api.h"
#include "render/polygon_tree.h"
#include "render/scene.h"

struct Recording {
    std::vector<SegmentColour> colours;
    std::vector<double> vertices;  // x, y, z of two vertices per segment
    void colour(const SegmentColour& c) { colours.push_back(c); }
    void vertex(double x, double y, double z) { vertices.insert(vertices.end(), {x, y, z}); }
};

// The frames of the viewer state's figure (init_viewer first).
inline std::vector<Recording> record_frames() {
    // The figure of n branches repeats every 360/n frames (one degree each).
    const int period = viewer.branches > 2 && 360 % viewer.branches == 0 ? 360 / viewer.branches : 360;
    const std::size_t frame_bytes = (sizeof(SegmentColour) + 6 * sizeof(double)) *
                                    segments_per_frame(viewer.branches, viewer.levels);
    const int kept = static_cast<int>(std::max<std::size_t>(1, std::min<std::size_t>(
        static_cast<std::size_t>(period), (std::size_t{256} << 20) / frame_bytes)));
    std::vector<Recording> frames(static_cast<std::size_t>(kept));
    for (int k = 0; k < kept; ++k) {
        const double twist = (k * period / kept) * ONE_DEGREE;
        emit_polygon_tree(frames[static_cast<std::size_t>(k)], viewer.levels, viewer.branches, twist, 0.0,
                          -viewer.scale, 0.0, PI / 2.0, 2.0 * viewer.scale);
    }
    return frames;
}

inline void replay(const Recording& frame) {
    // What draw_scene calls, in its order, with the viewer's start camera.
    begin_frame();
    glBegin(GL_LINES);
    const double* v = frame.vertices.data();
    for (const SegmentColour& c : frame.colours) {
        glColor3f(c.r, c.g, c.b);
        glVertex3d(v[0], v[1], v[2]);
        glVertex3d(v[3], v[4], v[5]);
        v += 6;
    }
    glEnd();
}
