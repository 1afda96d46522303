#pragma once
// The figure's colours as a rasteriser gives them back: brown trunks, green
// leaves on black, each within a few units per channel, since a software
// rasteriser's rounding is its own choice.

#include <cstdlib>

struct Rgb {
    int r, g, b;
};

inline bool near_colour(const Rgb& c, int r, int g, int b) {
    const int tolerance = 4;
    return std::abs(c.r - r) <= tolerance && std::abs(c.g - g) <= tolerance && std::abs(c.b - b) <= tolerance;
}
inline bool is_brown(const Rgb& c) { return near_colour(c, 179, 128, 77); }
inline bool is_green(const Rgb& c) { return near_colour(c, 0, 255, 0); }
inline bool is_black(const Rgb& c) { return near_colour(c, 0, 0, 0); }
