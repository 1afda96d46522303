#pragma once
// The exit statuses of polytree-render, one row each: the program returns
// the codes, its --help lists the rows, and a test holds its manual page to
// them.

#include <array>

enum RenderExit : int {
    EXIT_DONE = 0,
    EXIT_FAILED = 1,
    EXIT_BAD_ARGUMENTS = 2,
    EXIT_KEPT = 3,  // --no-clobber found a file in the way
    // The status of a run that a signal ends is this plus its number, as
    // the shell reports a process killed by one.
    EXIT_SIGNALLED = 128,
};

struct ExitStatus {
    RenderExit code;
    bool plus_signal;  // the code plus the signal's number: "128+N"
    const char* meaning;
};

inline constexpr std::array<ExitStatus, 5> EXIT_STATUSES = {{
    {EXIT_DONE, false, "done; or --check found the range whole"},
    {EXIT_FAILED, false,
     "the render failed (no EGL display, no memory, a write error); or --check found the range not whole"},
    {EXIT_BAD_ARGUMENTS, false, "bad arguments: nothing drawn or written"},
    {EXIT_KEPT, false,
     "with --no-clobber, a file of the output was there already (with --resume, one holding another drawing of "
     "its frame): nothing drawn or written"},
    {EXIT_SIGNALLED, true,
     "signal N ended it (SIGINT, SIGTERM or SIGHUP: the unfinished file removed; SIGPIPE: the reader of -o - "
     "went away)"},
}};
