#pragma once
// Start-up settings: the option words of the command line applied to the
// viewer state.

#include <string>

#include "core/viewer_state.h"
#include "core/work_bound.h"

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

// What the option words choose. An empty text chooses DEFAULT_OPTIONS.
struct StartOptions {
    int branches;
    int levels;
    int mode_index;  // row of DISPLAY_MODES
};

constexpr StartOptions DEFAULT_OPTIONS = {VIEWER_START.branches, VIEWER_START.levels, VIEWER_START.mode_index};

// Restores the caption (once per process), gives the state its start-up
// values and applies the options of read_options. option_text may be null
// or empty.
void init_viewer(const char* option_text);

// The viewer as a new start of the program has it: every field back to its
// value in VIEWER_START (the caption stays as it is), then init_viewer. For
// a program that starts again in the same process.
void restart_viewer(const char* option_text);

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
