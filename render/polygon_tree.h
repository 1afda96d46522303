#pragma once
// The polygon-tree fractal: every line segment of the figure, each preceded
// by its colour, in depth-first order.

#include <cmath>

#include "render/math_constants.h"

struct SegmentColour {
    float r, g, b;
};

constexpr SegmentColour TRUNK_COLOUR{0.7f, 0.5f, 0.3f};
constexpr SegmentColour LEAF_COLOUR{0.0f, 1.0f, 0.0f};

// Emits the tree into sink, which needs colour(SegmentColour) and
// vertex(x, y, z). A template so that the GL sink's calls inline: the tree
// has up to a million segments per frame and an indirect call per vertex
// would show.
template <class Sink>
void emit_polygon_tree(Sink& sink, int depth, int n, double twist, double cx, double cy, double cz,
                       double direction, double length) {
    if (depth <= 0 || n <= 2) {
        // One edge of the regular n-gon of radius length about the node.
        sink.colour(LEAF_COLOUR);
        sink.vertex(cx + length * std::cos(direction), cy + length * std::sin(direction), cz);
        const double a = direction + TWO_PI / n;
        sink.vertex(cx + length * std::cos(a), cy + length * std::sin(a), cz);
        return;
    }

    const double t = (static_cast<double>(n - 2) * length) / static_cast<double>(n - 1);
    const double dx = std::cos(direction) * t;
    const double dy = std::sin(direction) * t;
    const double dz = 0.0;
    sink.colour(TRUNK_COLOUR);
    sink.vertex(cx, cy, cz);
    sink.vertex(cx + dx, cy + dy, cz + dz);

    const double child_length = length / static_cast<double>(n - 1);
    for (int i = 0; i < n; ++i) {
        const double child_direction = (static_cast<double>(i) * TWO_PI) / n + direction + twist;
        emit_polygon_tree(sink, depth - 1, n, twist, cx + dx, cy + dy, cz + dz, child_direction, child_length);
    }
}

// Emits the tree straight into the GL_LINES batch the caller has begun.
void draw_polygon_tree(int depth, int n, double twist, double cx, double cy, double cz, double direction,
                       double length);
