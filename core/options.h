#pragma once
// Start-up settings: the option words of the command line applied to the
// viewer state.

#include <cstdint>

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

// Restores the caption (once per process), gives the state its start-up
// values and applies the option words. option_text may be null or empty.
void init_viewer(const char* option_text);

// Applies the words of list to the viewer state, later words winning.
void parse_options(const TokenList& list);

// Decimal text to int as the C library's conversion does it, but defined for
// every input: leading white space skipped, one optional sign, digits
// accumulated with 32-bit wrap-around, no digits giving 0.
int decimal_to_int(const char* text);

// Segments one frame draws for n branches and the given levels, or
// MAX_SEGMENTS_PER_FRAME + 1 when it would be more than the bound.
std::uint32_t segments_per_frame(int branches, int levels);

// levels itself when its figure fits the bound, otherwise the largest level
// count whose figure fits.
int bounded_levels(int branches, int levels);
