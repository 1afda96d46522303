#pragma once
// The condition for sin_cos: on this runtime it must give exactly the
// standard sin and cos. Checked natively by the unit tests and, in the
// .exe's own runtime, by polytree-sincos-test.exe under Wine.

#include <cmath>
#include <cstring>
#include <random>

#include "render/math_constants.h"
#include "render/trig.h"

struct SinCosCheck {
    long checked = 0;
    long differing = 0;
    double first_differing = 0.0;
};

// Compares sin_cos with std::sin and std::cos bit for bit on the same
// pseudo-random arguments every time: per_range of them below 2 pi, below
// 1000 and below 1.2e6 (where twelve levels of twist take the figure's
// angles after hours of frames), either sign.
inline SinCosCheck check_sin_cos(int per_range) {
    SinCosCheck result;
    std::mt19937_64 random(20261208);
    const double ranges[] = {TWO_PI, 1000.0, 1.2e6};
    for (const double range : ranges) {
        std::uniform_real_distribution<double> angle(-range, range);
        for (int i = 0; i < per_range; ++i) {
            const double a = angle(random);
            double s, c;
            sin_cos(a, s, c);
            const double expected[2] = {std::sin(a), std::cos(a)};
            const double actual[2] = {s, c};
            if (std::memcmp(expected, actual, sizeof(actual)) != 0 && result.differing++ == 0) {
                result.first_differing = a;
            }
            ++result.checked;
        }
    }
    return result;
}
