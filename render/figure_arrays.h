#pragma once
// One frame's figure as an array of vertices, filled by the figure's walk
// and drawn with one call by whatever draws it (GL 1.1 client arrays, a
// GLES 3 vertex buffer). Free of any graphics API, so that every program can
// fill it, and so that it can be filled on a thread that holds no context.

#include <cstddef>
#include <vector>

#include "render/polygon_tree.h"

// A line's end: its position and its colour, in the floats GL keeps them in.
// The colour is float, not bytes: 0.7, 0.5 and 0.3 times 255 fall half-way
// between two bytes, and only the float gives the pixels immediate mode does.
struct FigureVertex {
    float x, y, z;
    float r, g, b;
};

constexpr bool same_figure(const Figure& a, const Figure& b) {
    return a.branches == b.branches && a.levels == b.levels && a.twist == b.twist && a.scale == b.scale;
}

class FigureArrays {
public:
    // The figure's segments, two vertices each, in the walk's order. Room is
    // made once for the figure's own count (segments_per_frame): a later
    // fill of a figure no larger allocates nothing.
    void fill(const Figure& figure);

    // Whether the vertices are those of figure (after a fill of it).
    bool holds(const Figure& figure) const { return filled_ && same_figure(figure_, figure); }

    const Figure& figure() const { return figure_; }
    const FigureVertex* vertices() const { return vertices_.data(); }
    // Always even: whole segments.
    int vertex_count() const { return static_cast<int>(vertices_.size()); }
    std::size_t bytes() const { return vertices_.size() * sizeof(FigureVertex); }

    // What the walk calls.
    void colour(const SegmentColour& c) { colour_ = c; }
    void vertex(double x, double y, double z) {
        // The same narrowing GL applies to glVertex3d's doubles.
        vertices_.push_back({static_cast<float>(x), static_cast<float>(y), static_cast<float>(z), colour_.r,
                             colour_.g, colour_.b});
    }

private:
    std::vector<FigureVertex> vertices_;
    SegmentColour colour_{};
    Figure figure_{};
    bool filled_ = false;
};
