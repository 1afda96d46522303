#pragma once
// The figure's own work as the benchmarks measure it: the emission of one
// frame into a sink that keeps every value but draws nothing, next to the
// sine and cosine calls that emission makes, on the same arguments.

#include <cstdint>
#include <vector>

#include "core/camera.h"
#include "core/options.h"
#include "render/math_constants.h"
#include "render/polygon_tree.h"
#include "render/trig.h"

// Makes the compiler compute value without spending anything on it.
template <class T>
inline void keep(const T& value) {
#if defined(__GNUC__)
    asm volatile("" : : "r,m"(value));
#else
    static volatile T last;
    last = value;
#endif
}

struct NullSink {
    void colour(const SegmentColour& c) { keep(c.r); }
    void vertex(double x, double y, double z) {
        keep(x);
        keep(y);
        keep(z);
    }
};

inline void emit_frame(const Figure& f) {
    NullSink sink;
    emit_figure(sink, f);
}

// Hears every angle whose sine and cosine the emission takes, in its order.
struct AngleSink {
    std::vector<double>& angles;
    void colour(const SegmentColour&) {}
    void vertex(double, double, double) {}
    void angle(double a) { angles.push_back(a); }
};

inline std::vector<double> frame_angles(const Figure& f) {
    std::vector<double> angles;
    AngleSink sink{angles};
    emit_figure(sink, f);
    return angles;
}

inline void sin_cos_calls(const std::vector<double>& angles) {
    for (const double a : angles) {
        double s, c;
        sin_cos(a, s, c);
        keep(s);
        keep(c);
    }
}

inline std::uint64_t segments_of(const Figure& f) { return segments_per_frame(f.branches, f.levels); }

// The figures measured: the default, heavier levels, other branch counts.
// The twist is that of frame 1000, where the angles have long left
// [0, 2 pi), as they do in any session.
inline std::vector<Figure> bench_figures() {
    const double twist = 1000.0 * ONE_DEGREE;
    const double scale = START_SCALE;
    return {{3, 7, twist, scale}, {3, 10, twist, scale}, {3, 12, twist, scale},
            {4, 6, twist, scale}, {5, 5, twist, scale}, {7, 4, twist, scale}};
}
