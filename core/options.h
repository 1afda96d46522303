#pragma once
// Start-up settings: the option words of the command line applied to the
// viewer state.

#include <climits>
#include <cstdint>
#include <string>

// The words of one option text, each an owned NUL-terminated copy.
class TokenList {
public:
    explicit TokenList(const char* text);
    ~TokenList();
    TokenList(const TokenList&) = delete;
    TokenList& operator=(const TokenList&) = delete;

    char** items;  // null when count is 0
    int count;
};

// The most line segments one frame may ask for. The drawing work grows as
// branches^levels; past this a single frame would keep the program busy for
// minutes or hours, too long even to take the Esc key.
constexpr std::uint32_t MAX_SEGMENTS_PER_FRAME = 1u << 20;

// What the option words choose. An empty text chooses DEFAULT_OPTIONS.
struct StartOptions {
    int branches;
    int levels;
    int mode_index;  // row of DISPLAY_MODES
};

constexpr StartOptions DEFAULT_OPTIONS = {3, 7, 2};

// Restores the caption (once per process), gives the state its start-up
// values and applies the options of read_options. option_text may be null
// or empty.
void init_viewer(const char* option_text);

// Applies the words of list to options, later words winning.
void parse_options(const TokenList& list, StartOptions& options);

// The options of a text (null or empty: the defaults), levels lowered to
// what the work bound lets a frame draw. What init_viewer applies to the
// state record, for the programs that draw the figure without one.
StartOptions read_options(const char* option_text);

// Words handed over one by one (a program's argv after its name) as one
// option text, parted by single spaces: what Windows hands polytree.exe.
std::string join_words(const char* const* words, int count);

// Decimal text to int as the C library's conversion does it, but defined for
// every input: leading white space skipped, one optional sign, digits
// accumulated with 32-bit wrap-around, no digits giving 0.
int decimal_to_int(const char* text);

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
