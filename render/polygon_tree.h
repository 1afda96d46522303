#pragma once
// The polygon-tree fractal: every line segment of the figure, each preceded
// by its colour, in depth-first order.

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <utility>

#include "core/work_bound.h"
#include "render/math_constants.h"
#include "render/trig.h"

struct SegmentColour {
    float r, g, b;
};

constexpr SegmentColour TRUNK_COLOUR{0.7f, 0.5f, 0.3f};
constexpr SegmentColour LEAF_COLOUR{0.0f, 1.0f, 0.0f};

namespace polygon_tree_detail {

// Branch offsets kept at hand; more branches compute theirs as they go
// (a frame may have a thousand branches at two levels).
constexpr int KEPT_OFFSETS = 64;

// Whether a sink wants to hear every angle whose sine and cosine the walk
// takes (the benchmark times those calls alone); the others pay nothing.
template <class Sink, class = void>
struct hears_angles : std::false_type {};
template <class Sink>
struct hears_angles<Sink, std::void_t<decltype(std::declval<Sink&>().angle(0.0))>> : std::true_type {};

// One walk of the tree. What the recursion would compute again at every
// node (the branch offsets, the lengths and trunk fractions of each depth,
// a leaf edge's turn) is computed once, by the same expressions in the same
// order, so every vertex is the same double; each angle's sine and cosine
// come from one call. Nothing is allocated. depth is at most
// MAX_DRAWN_LEVELS, the deepest a frame draws.
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
        trig(direction, s0, c0);
        trig(direction + turn_, s1, c1);
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
        trig(direction, s, c);
        const double dx = c * trunk_[depth];
        const double dy = s * trunk_[depth];
        x = cx + dx;
        y = cy + dy;
        // Not cz itself: a start at -0.0 goes on at +0.0, as the recursion's
        // cz + dz does, so even then every vertex keeps its bits.
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

    void trig(double angle, double& sine, double& cosine) {
        if constexpr (hears_angles<Sink>::value) sink_.angle(angle);
        sin_cos(angle, sine, cosine);
    }

    double offset(int i) const {
        return i < KEPT_OFFSETS ? offsets_[i] : (static_cast<double>(i) * TWO_PI) / n_;
    }

    Sink& sink_;
    const int n_;
    const double twist_;
    const double turn_;
    double offsets_[KEPT_OFFSETS];
    double length_[MAX_DRAWN_LEVELS + 1];
    double trunk_[MAX_DRAWN_LEVELS + 1];
};

}  // namespace polygon_tree_detail

// Emits the tree into sink, which needs colour(SegmentColour) and
// vertex(x, y, z): every segment, each preceded by its colour, depth first,
// a trunk before its children. A template so that the GL sink's calls
// inline: the tree has up to a million segments per frame and an indirect
// call per vertex would show. No frame draws deeper than MAX_DRAWN_LEVELS;
// a deeper depth draws that many levels.
template <class Sink>
void emit_polygon_tree(Sink& sink, int depth, int n, double twist, double cx, double cy, double cz,
                       double direction, double length) {
    using polygon_tree_detail::Walk;
    if (depth <= 0 || n <= 2) {
        Walk<Sink>(sink, 0, n, twist, length).leaf(cx, cy, cz, direction, length);
        return;
    }
    depth = std::min(depth, MAX_DRAWN_LEVELS);
    Walk<Sink>(sink, depth, n, twist, length).node(depth, cx, cy, cz, direction);
}

// One frame's figure, as every program draws it.
struct Figure {
    int branches;
    int levels;    // within the work bound (bounded_levels)
    double twist;  // radians added to every child's direction
    double scale;  // the scene's unit of length
};

// The twist of the frame after one with the given twist: one degree more,
// added as the viewer adds it, so that every program's doubles are its own.
inline double next_twist(double twist) { return twist + ONE_DEGREE; }

// Emits the figure where the scene stands it: the trunk upright from
// (0, -scale, 0), the whole tree 2 * scale across.
template <class Sink>
void emit_figure(Sink& sink, const Figure& figure) {
    emit_polygon_tree(sink, figure.levels, figure.branches, figure.twist, 0.0, -figure.scale, 0.0, PI / 2.0,
                      2.0 * figure.scale);
}

// Emits the figure straight into the GL_LINES batch the caller has begun.
void draw_polygon_tree(const Figure& figure);
