#pragma once
// The polygon-tree fractal: every line segment of the figure, each preceded
// by its colour, in depth-first order.

#include <cmath>

#include "render/math_constants.h"
#include "render/trig.h"

struct SegmentColour {
    float r, g, b;
};

constexpr SegmentColour TRUNK_COLOUR{0.7f, 0.5f, 0.3f};
constexpr SegmentColour LEAF_COLOUR{0.0f, 1.0f, 0.0f};

namespace polygon_tree_detail {

// Deeper than this with three or more branches is more than 3^48 segments:
// such a call cannot finish, but it still runs as the recursion says.
constexpr int PLANNED_DEPTH = 48;
// Branch offsets kept at hand; more branches compute theirs as they go.
constexpr int KEPT_OFFSETS = 64;

// One walk of the tree. What the recursion would compute again at every
// node (the branch offsets, the lengths and trunk fractions of each depth,
// a leaf edge's turn) is computed once, by the same expressions in the same
// order, so every vertex is the same double; each angle's sine and cosine
// come from one call. Nothing is allocated.
template <class Sink>
class Walk {
public:
    Walk(Sink& sink, int depth, int n, double twist, double length)
        : sink_(sink), n_(n), twist_(twist), turn_(TWO_PI / n) {
        for (int i = 0; i < n && i < KEPT_OFFSETS; ++i) offsets_[i] = (static_cast<double>(i) * TWO_PI) / n;
        length_[depth] = length;
        for (int d = depth; d >= 1; --d) {
            trunk_[d] = (static_cast<double>(n - 2) * length_[d]) / static_cast<double>(n - 1);
            length_[d - 1] = length_[d] / static_cast<double>(n - 1);
        }
    }

    // One edge of the regular n-gon of radius length about the node.
    void leaf(double cx, double cy, double cz, double direction, double length) {
        // Both calls before either result is used: the second need not wait
        // for the first one's values to come back.
        double s0, c0, s1, c1;
        sin_cos(direction, s0, c0);
        sin_cos(direction + turn_, s1, c1);
        sink_.colour(LEAF_COLOUR);
        sink_.vertex(cx + length * c0, cy + length * s0, cz);
        sink_.vertex(cx + length * c1, cy + length * s1, cz);
    }

    // A trunk and its n children, depth levels deep; depth >= 1 and n >= 3.
    void node(int depth, double cx, double cy, double cz, double direction) {
        if (depth == 1) {
            twig(cx, cy, cz, direction);
            return;
        }
        double x, y, z;
        trunk(depth, cx, cy, cz, direction, x, y, z);
        if (depth == 2) {
            // The last two levels without a call per node: they hold most of it.
            for (int i = 0; i < n_; ++i) twig(x, y, z, (offset(i) + direction) + twist_);
        } else {
            for (int i = 0; i < n_; ++i) node(depth - 1, x, y, z, (offset(i) + direction) + twist_);
        }
    }

private:
    // The trunk of a node depth levels deep; its far end in x, y, z.
    void trunk(int depth, double cx, double cy, double cz, double direction, double& x, double& y, double& z) {
        double s, c;
        sin_cos(direction, s, c);
        const double dx = c * trunk_[depth];
        const double dy = s * trunk_[depth];
        x = cx + dx;
        y = cy + dy;
        z = cz + 0.0;
        sink_.colour(TRUNK_COLOUR);
        sink_.vertex(cx, cy, cz);
        sink_.vertex(x, y, z);
    }

    // A node one level deep: its trunk and the n edges of its polygon.
    void twig(double cx, double cy, double cz, double direction) {
        double x, y, z;
        trunk(1, cx, cy, cz, direction, x, y, z);
        const double length = length_[0];
        for (int i = 0; i < n_; ++i) leaf(x, y, z, (offset(i) + direction) + twist_, length);
    }

    double offset(int i) const {
        return i < KEPT_OFFSETS ? offsets_[i] : (static_cast<double>(i) * TWO_PI) / n_;
    }

    Sink& sink_;
    const int n_;
    const double twist_;
    const double turn_;
    double offsets_[KEPT_OFFSETS];
    double length_[PLANNED_DEPTH + 1];
    double trunk_[PLANNED_DEPTH + 1];
};

}  // namespace polygon_tree_detail

// Emits the tree into sink, which needs colour(SegmentColour) and
// vertex(x, y, z): every segment, each preceded by its colour, depth first,
// a trunk before its children. A template so that the GL sink's calls
// inline: the tree has up to a million segments per frame and an indirect
// call per vertex would show.
template <class Sink>
void emit_polygon_tree(Sink& sink, int depth, int n, double twist, double cx, double cy, double cz,
                       double direction, double length) {
    using polygon_tree_detail::PLANNED_DEPTH;
    using polygon_tree_detail::Walk;
    if (depth <= 0 || n <= 2) {
        Walk<Sink>(sink, 0, n, twist, length).leaf(cx, cy, cz, direction, length);
        return;
    }
    if (depth > PLANNED_DEPTH) {
        // Past the planned depth one level at a time, as the recursion goes.
        const double t = (static_cast<double>(n - 2) * length) / static_cast<double>(n - 1);
        double s, c;
        sin_cos(direction, s, c);
        const double dx = c * t;
        const double dy = s * t;
        sink.colour(TRUNK_COLOUR);
        sink.vertex(cx, cy, cz);
        sink.vertex(cx + dx, cy + dy, cz + 0.0);
        for (int i = 0; i < n; ++i) {
            emit_polygon_tree(sink, depth - 1, n, twist, cx + dx, cy + dy, cz + 0.0,
                              (static_cast<double>(i) * TWO_PI) / n + direction + twist, length / static_cast<double>(n - 1));
        }
        return;
    }
    Walk<Sink>(sink, depth, n, twist, length).node(depth, cx, cy, cz, direction);
}

// Emits the tree straight into the GL_LINES batch the caller has begun.
void draw_polygon_tree(int depth, int n, double twist, double cx, double cy, double cz, double direction,
                       double length);
