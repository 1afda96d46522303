#pragma once

// π to double precision; the standard library offers no portable name for it.
constexpr double PI = 3.14159265358979323846;
constexpr double TWO_PI = 2.0 * PI;
// One degree in radians, as π times 1/180.
constexpr double ONE_DEGREE = PI * (1.0 / 180.0);
