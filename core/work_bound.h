#pragma once
// The work bound: how large a figure any program lets one frame draw. No
// state, no options: the drawing floor sizes its walk and arrays by it.

#include <climits>
#include <cstdint>

// The most line segments one frame may ask for. The drawing work grows as
// branches^levels; past this a single frame would keep the program busy for
// minutes or hours, too long even to take the Esc key.
constexpr std::uint32_t MAX_SEGMENTS_PER_FRAME = 1u << 20;

// Segments one frame draws for n branches and the given levels, or
// MAX_SEGMENTS_PER_FRAME + 1 when it would be more than the bound.
constexpr std::uint32_t segments_per_frame(int branches, int levels) {
    // Past the first level that breaks the bound the figure only grows, so
    // counting can stop there; every product stays below 2^31 * 2^21.
    if (levels <= 0 || branches <= 2) return 1;
    std::uint64_t segments = 1;  // a lone leaf edge
    for (int level = 1; level <= levels; ++level) {
        segments = 1 + static_cast<std::uint64_t>(branches) * segments;  // trunk + children
        if (segments > MAX_SEGMENTS_PER_FRAME) return MAX_SEGMENTS_PER_FRAME + 1;
    }
    return static_cast<std::uint32_t>(segments);
}

// levels itself when its figure fits the bound, otherwise the largest level
// count whose figure fits.
constexpr int bounded_levels(int branches, int levels) {
    if (segments_per_frame(branches, levels) <= MAX_SEGMENTS_PER_FRAME) return levels;
    int fitting = 0;
    while (segments_per_frame(branches, fitting + 1) <= MAX_SEGMENTS_PER_FRAME) ++fitting;
    return fitting;
}

// The most levels any frame draws: three branches, the fewest that branch,
// grow the slowest and so fit the most levels under the bound (fewer draw a
// single edge, whatever the levels). The figure's walk is sized by it.
constexpr int MAX_DRAWN_LEVELS = bounded_levels(3, INT_MAX);
static_assert(segments_per_frame(3, MAX_DRAWN_LEVELS) <= MAX_SEGMENTS_PER_FRAME &&
                  segments_per_frame(3, MAX_DRAWN_LEVELS + 1) > MAX_SEGMENTS_PER_FRAME,
              "the deepest figure fits the bound and one level more does not");
