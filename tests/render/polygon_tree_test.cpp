#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer's own interface (its header comes with clang, not gcc):
// it calls the hooks on every malloc and operator new.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*malloc_hook)(const volatile void*, std::size_t),
                                                         void (*free_hook)(const volatile void*));
#endif

#include "render/figure_arrays.h"
#include "render/math_constants.h"
#include "render/polygon_tree.h"
#include "tests/render/sin_cos_check.h"

namespace {

struct Point {
    double x, y, z;
};

struct Segment {
    bool leaf;
    Point a, b;
};

// Records what the tree emits and checks the shape of the stream as it
// arrives: exactly one colour, then exactly two vertices, per segment.
struct RecordingSink {
    std::vector<Segment> segments;
    int pending_vertices = 0;
    bool pending_leaf = false;
    bool well_formed = true;

    void colour(const SegmentColour& c) {
        if (pending_vertices != 0) well_formed = false;
        const bool is_leaf = c.r == 0.0f && c.g == 1.0f && c.b == 0.0f;
        const bool is_trunk = c.r == 0.7f && c.g == 0.5f && c.b == 0.3f;
        if (!is_leaf && !is_trunk) well_formed = false;
        pending_leaf = is_leaf;
        pending_vertices = 2;
    }

    void vertex(double x, double y, double z) {
        if (pending_vertices == 0) {
            well_formed = false;
            return;
        }
        if (pending_vertices == 2) {
            segments.push_back(Segment{pending_leaf, {x, y, z}, {}});
        } else {
            segments.back().b = Point{x, y, z};
        }
        --pending_vertices;
    }
};

RecordingSink draw(int depth, int n, double twist = 0.0) {
    RecordingSink sink;
    // The top-level call the scene makes: trunk base at (0, -1, 0), straight up, size 2.
    emit_polygon_tree(sink, depth, n, twist, 0.0, -1.0, 0.0, PI / 2.0, 2.0);
    EXPECT_TRUE(sink.well_formed);
    EXPECT_EQ(sink.pending_vertices, 0);
    return sink;
}

void expect_point(const Point& actual, double x, double y, double z) {
    EXPECT_NEAR(actual.x, x, 1e-12);
    EXPECT_NEAR(actual.y, y, 1e-12);
    EXPECT_NEAR(actual.z, z, 1e-12);
}

TEST(PolygonTree, CountsTrunksAndLeavesPerBranchAndLevel) {
    const struct {
        int n;
        int depth;
        std::size_t trunks;
        std::size_t leaves;
    } cases[] = {
        {3, 0, 0, 1},   {3, 1, 1, 3},     {3, 2, 4, 9},       {3, 7, 1093, 2187},
        {4, 3, 21, 64}, {5, 4, 156, 625}, {6, 2, 7, 36},      {2, 9, 0, 1},
        {1, 4, 0, 1},   {-4, 4, 0, 1},    {3, -3, 0, 1},      {7, 1, 1, 7},
    };
    for (const auto& c : cases) {
        const RecordingSink sink = draw(c.depth, c.n);
        const auto leaves = static_cast<std::size_t>(
            std::count_if(sink.segments.begin(), sink.segments.end(), [](const Segment& s) { return s.leaf; }));
        EXPECT_EQ(sink.segments.size() - leaves, c.trunks) << "n " << c.n << " depth " << c.depth;
        EXPECT_EQ(leaves, c.leaves) << "n " << c.n << " depth " << c.depth;
    }
}

TEST(PolygonTree, DepthZeroDrawsOneEdgeOfThePolygonAroundTheBase) {
    const RecordingSink sink = draw(0, 3);
    ASSERT_EQ(sink.segments.size(), 1u);
    const Segment& edge = sink.segments[0];
    EXPECT_TRUE(edge.leaf);
    expect_point(edge.a, 0.0, 1.0, 0.0);
    const double corner = PI / 2.0 + TWO_PI / 3.0;
    expect_point(edge.b, 2.0 * std::cos(corner), -1.0 + 2.0 * std::sin(corner), 0.0);
}

TEST(PolygonTree, DegenerateBranchCountsDrawASingleEdge) {
    const struct {
        int n;
        Point to;
    } cases[] = {
        {2, {0.0, -3.0, 0.0}},   // a diameter, whatever the depth
        {1, {0.0, 1.0, 0.0}},    // a full turn: no length
        {-1, {0.0, 1.0, 0.0}},
        {-4, {2.0, -1.0, 0.0}},  // a quarter turn clockwise
    };
    for (const auto& c : cases) {
        const RecordingSink sink = draw(6, c.n);
        ASSERT_EQ(sink.segments.size(), 1u) << c.n;
        EXPECT_TRUE(sink.segments[0].leaf);
        expect_point(sink.segments[0].a, 0.0, 1.0, 0.0);
        expect_point(sink.segments[0].b, c.to.x, c.to.y, c.to.z);
    }
}

TEST(PolygonTree, OneLevelOfThreeIsATrunkAndATriangle) {
    const RecordingSink sink = draw(1, 3);
    ASSERT_EQ(sink.segments.size(), 4u);
    EXPECT_FALSE(sink.segments[0].leaf);
    expect_point(sink.segments[0].a, 0.0, -1.0, 0.0);
    expect_point(sink.segments[0].b, 0.0, 0.0, 0.0);
    for (int i = 0; i < 3; ++i) {
        const Segment& edge = sink.segments[static_cast<std::size_t>(i) + 1];
        EXPECT_TRUE(edge.leaf);
        const double first = PI / 2.0 + i * TWO_PI / 3.0;
        const double second = first + TWO_PI / 3.0;
        expect_point(edge.a, std::cos(first), std::sin(first), 0.0);
        expect_point(edge.b, std::cos(second), std::sin(second), 0.0);
    }
    // Each edge ends where the next begins: the triangle is closed.
    for (int i = 0; i < 3; ++i) {
        const Point& end = sink.segments[static_cast<std::size_t>(i) + 1].b;
        const Point& next = sink.segments[static_cast<std::size_t>((i + 1) % 3) + 1].a;
        expect_point(end, next.x, next.y, next.z);
    }
}

TEST(PolygonTree, EmitsDepthFirstWithParentsBeforeChildren) {
    // Two levels of three: trunk, then for each child its trunk and its three leaves.
    const RecordingSink sink = draw(2, 3, 0.3);
    ASSERT_EQ(sink.segments.size(), 13u);
    const bool expected_leaf[] = {false, false, true, true, true, false, true, true, true, false, true, true, true};
    for (std::size_t i = 0; i < 13; ++i) EXPECT_EQ(sink.segments[i].leaf, expected_leaf[i]) << i;

    // Children hang off the end of the parent trunk, each turned by the twist.
    const double t0 = 1.0;  // (3 - 2) * 2 / (3 - 1)
    expect_point(sink.segments[0].b, 0.0, -1.0 + t0, 0.0);
    for (int i = 0; i < 3; ++i) {
        const Segment& child_trunk = sink.segments[1 + 4 * static_cast<std::size_t>(i)];
        expect_point(child_trunk.a, 0.0, 0.0, 0.0);
        const double direction = i * TWO_PI / 3.0 + PI / 2.0 + 0.3;
        const double t1 = 0.5;  // child length 1, trunk (3-2)*1/(3-1)
        expect_point(child_trunk.b, std::cos(direction) * t1, std::sin(direction) * t1, 0.0);
    }
}

TEST(PolygonTree, KeepsToThePlaneOfItsStart) {
    RecordingSink sink;
    emit_polygon_tree(sink, 3, 4, 0.7, 0.25, -0.5, 1.5, 0.1, 1.0);
    for (const Segment& s : sink.segments) {
        EXPECT_EQ(s.a.z, 1.5);
        EXPECT_EQ(s.b.z, 1.5);
    }
}

// Segments as order-free keys, rounded so that different rounding paths to
// the same end points compare equal.
std::vector<std::array<std::int64_t, 5>> segment_set(const RecordingSink& sink) {
    std::vector<std::array<std::int64_t, 5>> keys;
    const auto q = [](double v) { return static_cast<std::int64_t>(std::llround(v * 1e7)); };
    for (const Segment& s : sink.segments) {
        std::array<std::int64_t, 5> key = {s.leaf ? 1 : 0, q(s.a.x), q(s.a.y), q(s.b.x), q(s.b.y)};
        keys.push_back(key);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

TEST(PolygonTree, ATwistOfOneBranchAngleLeavesTheFigureUnchanged) {
    const struct {
        int n;
        int depth;
    } cases[] = {{3, 1}, {3, 4}, {4, 3}, {5, 2}, {6, 3}};
    for (const auto& c : cases) {
        const double base = 0.4;
        const auto before = segment_set(draw(c.depth, c.n, base));
        const auto after = segment_set(draw(c.depth, c.n, base + TWO_PI / c.n));
        EXPECT_EQ(before, after) << "n " << c.n << " depth " << c.depth;
        // And a twist that is not a multiple of it does change the figure.
        const auto other = segment_set(draw(c.depth, c.n, base + 0.1));
        EXPECT_NE(before, other) << "n " << c.n << " depth " << c.depth;
    }
}

// The figure as a plain recursion reads it, with the standard sin and cos:
// the second reading every faster way of emitting it must agree with. The
// angles are those whose sine and cosine are taken, in order: the benchmark
// times the calls on the angles the walk reports.
struct Stream {
    std::vector<double> values;  // colour red, then x, y, z of each vertex
    std::vector<double> angles;
    void colour(const SegmentColour& c) { values.push_back(c.r); }
    void vertex(double x, double y, double z) { values.insert(values.end(), {x, y, z}); }
    void angle(double a) { angles.push_back(a); }
};

void plain_tree(Stream& out, int depth, int n, double twist, double cx, double cy, double cz, double direction,
                double length) {
    if (depth <= 0 || n <= 2) {
        const double a = direction + TWO_PI / n;
        out.angle(direction);
        out.angle(a);
        out.colour(LEAF_COLOUR);
        out.vertex(cx + length * std::cos(direction), cy + length * std::sin(direction), cz);
        out.vertex(cx + length * std::cos(a), cy + length * std::sin(a), cz);
        return;
    }
    const double t = (static_cast<double>(n - 2) * length) / static_cast<double>(n - 1);
    const double dx = std::cos(direction) * t;
    const double dy = std::sin(direction) * t;
    const double dz = 0.0;
    out.angle(direction);
    out.colour(TRUNK_COLOUR);
    out.vertex(cx, cy, cz);
    out.vertex(cx + dx, cy + dy, cz + dz);
    for (int i = 0; i < n; ++i) {
        plain_tree(out, depth - 1, n, twist, cx + dx, cy + dy, cz + dz, (static_cast<double>(i) * TWO_PI) / n + direction + twist,
                   length / static_cast<double>(n - 1));
    }
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

TEST(PolygonTree, EmitsTheSameDoublesAsThePlainRecursion) {
    const struct {
        int n, depth;
    } shapes[] = {{3, 0}, {3, 1}, {3, 7}, {4, 5}, {5, 4}, {7, 3}, {2, 5}, {1, 3}, {-3, 2},
                  {0, 2}, {64, 2}, {65, 2}, {100, 2}, {300, 1}};
    // Small and large angles: the twist reaches about 1.2e6 after hours at twelve levels.
    const double twists[] = {0.0, 0.3, -2.5, 17.0 * ONE_DEGREE, 1000.0, 1.2e6 + 0.123};
    for (const auto& shape : shapes) {
        for (const double twist : twists) {
            Stream expected, actual;
            plain_tree(expected, shape.depth, shape.n, twist, 0.1, -1.0, -0.0, PI / 2.0 + twist, 2.0);
            emit_polygon_tree(actual, shape.depth, shape.n, twist, 0.1, -1.0, -0.0, PI / 2.0 + twist, 2.0);
            EXPECT_TRUE(same_bits(expected.values, actual.values))
                << "n " << shape.n << " depth " << shape.depth << " twist " << twist;
            EXPECT_TRUE(same_bits(expected.angles, actual.angles))
                << "n " << shape.n << " depth " << shape.depth << " twist " << twist;
        }
    }
    // The deepest figure a frame draws is what any deeper depth gets.
    Stream expected, actual;
    plain_tree(expected, MAX_DRAWN_LEVELS, 3, 0.2, 0.0, -1.0, 0.0, PI / 2.0 + 0.2, 2.0);
    emit_polygon_tree(actual, 60, 3, 0.2, 0.0, -1.0, 0.0, PI / 2.0 + 0.2, 2.0);
    EXPECT_TRUE(same_bits(expected.values, actual.values));
}

TEST(PolygonTree, SinCosGivesTheStandardSineAndCosineToTheLastBit) {
    const SinCosCheck check = check_sin_cos(200000);
    EXPECT_EQ(check.checked, 600000);
    EXPECT_EQ(check.differing, 0) << "first at " << check.first_differing;
}

#if defined(__SANITIZE_ADDRESS__)
int allocations = 0;
extern "C" void count_allocation(const volatile void*, std::size_t) { ++allocations; }
extern "C" void ignore_free(const volatile void*) {}

struct NullSink {
    double sum = 0.0;
    void colour(const SegmentColour& c) { sum += c.r; }
    void vertex(double x, double y, double z) { sum += x + y + z; }
};

TEST(PolygonTree, EmittingAFrameAllocatesNothing) {
    NullSink sink;
    FigureArrays arrays;
    arrays.fill({3, 7, 0.0, 1.0});  // room for the largest figure below, once
    __sanitizer_install_malloc_and_free_hooks(count_allocation, ignore_free);
    const int before = allocations;
    emit_polygon_tree(sink, 7, 3, 0.5, 0.0, -1.0, 0.0, PI / 2.0, 2.0);
    emit_polygon_tree(sink, 2, 200, 0.5, 0.0, -1.0, 0.0, PI / 2.0, 2.0);
    arrays.fill({3, 7, 0.5, 1.0});
    arrays.fill({5, 4, 0.5, 1.0});
    const int during = allocations - before;
    std::vector<int> probe(3);  // the count does see an allocation
    const int after = allocations - before;
    __sanitizer_install_malloc_and_free_hooks(nullptr, nullptr);
    EXPECT_EQ(during, 0);
    EXPECT_GE(after, 1);
    EXPECT_NE(sink.sum, 0.0);
}
#endif

}  // namespace
